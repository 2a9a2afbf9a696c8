// TVersionInfo: the ten standard texts of a file's version resource, by index. With no file set it
// reads the running program's own executable; index 2 ("FileVersion") is the program's version.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace widgets {

class TVersionInfo {
 public:
  static constexpr int KeyCount = 10;
  // CompanyName, FileDescription, FileVersion, InternalName, LegalCopyright, LegalTrademarks,
  // OriginalFilename, ProductName, ProductVersion, Comments.
  static const char* const Keys[KeyCount];
  static constexpr int kFileVersion = 2;  // the index of "FileVersion": the program's version
  static constexpr char NotAvailable[] = "Value Not Available";

  // Reads at once, and so sets FilePath() to the running program's executable.
  TVersionInfo();
  virtual ~TVersionInfo() = default;
  TVersionInfo(const TVersionInfo&) = delete;
  TVersionInfo& operator=(const TVersionInfo&) = delete;

  const std::string& FilePath() const { return filePath_; }

  // The same path again does nothing; another path is stored and read at once.
  virtual void SetFilePath(const std::string& filePath);

  // The text of Keys[index]: empty when the string table lacks it, "Value Not Available" when the
  // file has no version resource. Throws std::out_of_range "List index out of bounds (<index>)".
  std::string VersionString(int index) const;

 protected:
  void ReadVersionInfo();

 private:
  std::string filePath_;
  std::vector<std::string> versionTable_;
};

// What a system offers to read one file's version resource; the Windows build asks the version
// services, the host build parses the file itself.
class TVersionBlock {
 public:
  virtual ~TVersionBlock() = default;
  // The first entry of \VarFileInfo\Translation: language in the low 16 bits, code page above.
  virtual bool FirstTranslation(std::uint32_t& translation) = 0;
  // The text at `subBlock` (e.g. StringFileInfo\040904E4\FileVersion) in the ANSI code page.
  virtual bool QueryText(const std::string& subBlock, std::string& text) = 0;
};

// The version resource of `path`; null when the file has none or cannot be read.
std::unique_ptr<TVersionBlock> OpenVersionBlock(const std::string& path);

// Full path of the running program's executable.
std::string RunningExecutablePath();

}  // namespace widgets
