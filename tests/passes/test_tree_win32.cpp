// Temporary trees on Windows, through the system's own calls: the wide functions with the
// long-path prefix \\?\, which accept paths beyond MAX_PATH. Every path here is absolute.
// clang-format off
#include <windows.h>
// The system header below needs windows.h first.
#include <winioctl.h>
#include <wincrypt.h>  // needs the types of windows.h
// clang-format on

#include <cstdio>
#include <stdexcept>

#include "tests/passes/test_tree.h"

namespace testtree {
namespace {

void Require(bool ok, const std::string& what) {
  if (!ok)
    throw std::runtime_error("test tree: " + what + " (error " + std::to_string(GetLastError()) +
                             ")");
}

// Paths are UTF-8, as the program holds them.
std::wstring Wide(const std::string& text) {
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
  return wide;
}

std::wstring LongForm(const std::string& path) { return L"\\\\?\\" + Wide(path); }

void RemoveTreeW(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        DeleteFileW(path.c_str());
      } else {
        // A link to a folder is removed itself; its target is not entered.
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) RemoveTreeW(path);
        RemoveDirectoryW(path.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(folder.c_str());
}

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace

TempFolder::TempFolder(const std::string& tag) {
  static int counter = 0;
  char temp[MAX_PATH + 1] = {};
  Require(GetTempPathA(sizeof temp, temp) != 0, "GetTempPath");
  path_ = std::string(temp) + "ht-passes-" + tag + "-" + std::to_string(GetCurrentProcessId()) +
          "-" + std::to_string(++counter);
  RemoveTreeW(LongForm(path_));
  MakeFolder(path_);
}

TempFolder::~TempFolder() { RemoveTreeW(LongForm(path_)); }

void MakeFolder(const std::string& path) {
  Require(CreateDirectoryW(LongForm(path).c_str(), nullptr) != 0, "CreateDirectory " + path);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  Handle file(CreateFileW(LongForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  Require(file.get() != INVALID_HANDLE_VALUE, "create " + path);
  DWORD written = 0;
  Require(WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                    nullptr) != 0 &&
              written == bytes.size(),
          "write " + path);
}

void MakeSparseFile(const std::string& path, unsigned long long size) {
  Handle file(CreateFileW(LongForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  Require(file.get() != INVALID_HANDLE_VALUE, "create " + path);
  DWORD returned = 0;
  DeviceIoControl(file.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(size);
  Require(SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(file.get()),
          "size " + path);
}

bool ReadBytes(const std::string& path, std::string& bytes) {
  Handle file(CreateFileW(LongForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return false;
  bytes.clear();
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
    bytes.append(buffer, got);
  }
  return true;
}

bool Exists(const std::string& path) {
  return GetFileAttributesW(LongForm(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveFile(const std::string& path) {
  Require(DeleteFileW(LongForm(path).c_str()) != 0, "DeleteFile " + path);
}

void MoveFolder(const std::string& from, const std::string& to) {
  Require(MoveFileW(LongForm(from).c_str(), LongForm(to).c_str()) != 0, "MoveFile " + from);
}

std::string HiddenName(const std::string& base) { return base; }

void SetWriteTimeFrom(const std::string& path, const std::string& reference, int seconds) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  Require(GetFileAttributesExW(LongForm(reference).c_str(), GetFileExInfoStandard, &data) != 0,
          "GetFileAttributesEx " + reference);
  ULARGE_INTEGER time{{data.ftLastWriteTime.dwLowDateTime, data.ftLastWriteTime.dwHighDateTime}};
  time.QuadPart += static_cast<LONGLONG>(seconds) * 10000000;
  const FILETIME written{time.LowPart, time.HighPart};
  Handle to(CreateFileW(LongForm(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                        OPEN_EXISTING, 0, nullptr));
  Require(SetFileTime(to.get(), nullptr, nullptr, &written) != 0, "SetFileTime " + path);
}

void MarkHiddenOrSystem(const std::string& path, bool system) {
  Require(SetFileAttributesW(LongForm(path).c_str(),
                             system ? FILE_ATTRIBUTE_SYSTEM : FILE_ATTRIBUTE_HIDDEN) != 0,
          "SetFileAttributes " + path);
}

void MakeReadOnly(const std::string& path, bool readOnly) {
  Require(SetFileAttributesW(LongForm(path).c_str(),
                             readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL) != 0,
          "SetFileAttributes " + path);
}

std::string PeerDigest(const std::string& path) {
  std::string bytes;
  Require(ReadBytes(path, bytes), "read " + path);
  HCRYPTPROV provider = 0;
  HCRYPTHASH hash = 0;
  Require(CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT),
          "CryptAcquireContext");
  BYTE digest[16] = {};
  DWORD length = sizeof digest;
  const bool ok = CryptCreateHash(provider, CALG_MD5, 0, 0, &hash) &&
                  CryptHashData(hash, reinterpret_cast<const BYTE*>(bytes.data()),
                                static_cast<DWORD>(bytes.size()), 0) &&
                  CryptGetHashParam(hash, HP_HASHVAL, digest, &length, 0);
  if (hash != 0) CryptDestroyHash(hash);
  CryptReleaseContext(provider, 0);
  Require(ok && length == 16, "MD5 of " + path);
  std::string text;
  char hex[3];
  for (BYTE b : digest) {
    std::snprintf(hex, sizeof hex, "%02x", b);
    text += hex;
  }
  return text;
}

bool MakeFolderLink(const std::string& link, const std::string& target, std::string& whyNot) {
  if (!CreateSymbolicLinkW(LongForm(link).c_str(), Wide(target).c_str(),
                           SYMBOLIC_LINK_FLAG_DIRECTORY)) {
    whyNot = "CreateSymbolicLinkA failed with error " + std::to_string(GetLastError());
    return false;
  }
  // Some systems report success without making the link.
  if (!Exists(link)) {
    whyNot = "CreateSymbolicLinkA reported success but made no link";
    return false;
  }
  return true;
}

WriteLock::WriteLock(const std::string& path) {
  HANDLE file =
      CreateFileW(LongForm(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) handle_ = file;
}

WriteLock::~WriteLock() {
  if (handle_ != nullptr) CloseHandle(static_cast<HANDLE>(handle_));
}

}  // namespace testtree
