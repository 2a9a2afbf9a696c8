// Folder identities: the walk's protection against links back to an ancestor rests on them.
#include "platform/folder_enumeration.h"

#include <gtest/gtest.h>

#include <map>

#include "tests/passes/test_tree.h"

namespace {

TEST(FolderIdentity, SameFolderHoweverItIsSpelled) {
  testtree::TempFolder tree("identity");
  const std::string r = tree.Path();
  testtree::MakeFolder(r + "\\sub");
  testtree::MakeFolder(r + "\\other");
  testtree::WriteBytes(r + "\\file.txt", "not a folder");

  struct Case {
    std::string a, b;
    bool same;
  };
  const Case cases[] = {
      {r, r + "\\sub\\..", true},
      {r + "\\sub", r + "\\other\\..\\sub", true},
      {r, r + "\\sub", false},
      {r + "\\sub", r + "\\other", false},
#ifdef _WIN32
      // A drive root is held as "C:", which must not mean the drive's current folder.
      {"C:", "C:\\windows\\..", true},
#endif
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.a + " / " + c.b);
    platform::FolderIdentity a, b;
    ASSERT_TRUE(platform::GetFolderIdentity(c.a, a));
    ASSERT_TRUE(platform::GetFolderIdentity(c.b, b));
    EXPECT_EQ(a == b, c.same);
  }

  platform::FolderIdentity none;
  EXPECT_FALSE(platform::GetFolderIdentity(r + "\\missing", none));
  EXPECT_FALSE(platform::GetFolderIdentity(r + "\\file.txt", none));
}

TEST(FolderEnumeration, TellsAnEmptyFolderFromOneThatCannotBeListed) {
  testtree::TempFolder tree("listing");
  const std::string r = tree.Path();
  testtree::MakeFolder(r + "\\empty");
  testtree::MakeFolder(r + "\\full");
  testtree::MakeFolder(r + "\\full\\inner");
  testtree::WriteBytes(r + "\\full\\f.txt", "f");

  platform::FolderEntry entry;
  platform::FolderEnumeration missing(r + "\\missing");
  EXPECT_EQ(missing.State(), platform::EnumerationState::Unreadable);
  EXPECT_FALSE(missing.Next(entry));

  platform::FolderEnumeration empty(r + "\\empty");
  EXPECT_NE(empty.State(), platform::EnumerationState::Unreadable);
  EXPECT_FALSE(empty.Next(entry));

  platform::FolderEnumeration full(r + "\\full");
  EXPECT_EQ(full.State(), platform::EnumerationState::Listing);
  std::map<std::string, bool> seen;
  while (full.Next(entry)) seen[entry.Name] = entry.IsFolder;
  EXPECT_EQ(seen, (std::map<std::string, bool>{{"f.txt", false}, {"inner", true}}));
  EXPECT_FALSE(full.Next(entry));
}

}  // namespace
