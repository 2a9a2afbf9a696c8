// The languages' tables, one row per text in the order of TText; texts.cpp looks them up.
#pragma once

#include "texts/texts.h"

namespace texts {

// True when `rows` holds one text for every name, in the order of TText: each table asserts it.
template <std::size_t N>
constexpr bool IsComplete(const TTextRow (&rows)[N]) {
  if (N != kTextCount) return false;
  for (std::size_t i = 0; i < N; ++i)
    if (rows[i].name != static_cast<TText>(i) || rows[i].text == nullptr) return false;
  return true;
}

extern const TTextRow kChineseTexts[kTextCount];
extern const TTextRow kEnglishTexts[kTextCount];
// The about page's help text: English in every language so far. Each table has its own copy: the
// sanitizers' build takes an object that may be defined elsewhere (an extern or inline one) for
// one that may lie at address null, which the tables' compile-time check cannot then rule out.
constexpr char kAboutText[] =
    "Hashtally tests the integrity of the files in a folder.\r\n"
    "\r\n"
    "First make a checkfile: on the make page, choose the folder with the folder button and press "
    "the start button. The folder is scanned recursively, subfolders included; an MD5 sum is "
    "calculated for every file, and all the sums are saved in the file \"HTSUM-sums.MD5\" in the "
    "chosen folder.\r\n"
    "\r\n"
    "Leave the checkfile where it was saved. You may copy the program file beside it, for instance "
    "into the folder you are about to burn onto a CD-ROM or DVD-ROM. Anyone can later test the "
    "disc by running the program from it and testing the checkfile: when the program finds its "
    "checkfile beside itself, it starts the test by itself.\r\n"
    "\r\n"
    "To test files, choose the check page, press the open button and choose the .MD5 file. Every "
    "listed file is read again; files that were changed are reported as not matching, and files "
    "that cannot be read are reported too.\r\n"
    "\r\n"
    "The program needs no installer: it is one file that runs where it lies.\r\n"
    "\r\n"
    "Terms of use: you may use and copy this program freely, privately and at work, and pass it "
    "on unchanged together with your files.\r\n"
    "\r\n"
    "No warranty: the program is provided as it is, without any warranty of any kind. You use it "
    "at your own risk; its makers are not liable for any loss or damage arising from its use.";

}  // namespace texts
