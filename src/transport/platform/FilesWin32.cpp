// Files on Windows: CreateFileW/ReadFile for reading; for writing a new file beside the target,
// FlushFileBuffers, then MoveFileExW over the target.
#include <windows.h>
// After windows.h, which they need.
#include <aclapi.h>

#include <algorithm>
#include <cerrno>
#include <cwctype>
#include <string_view>
#include <vector>

#include "Files.h"
#include "Win32Text.h"

namespace rukmox::platform {
namespace {

template <typename T>
T Fail(FileProblem* out, const FileProblem& problem, T result) {
  if (out != nullptr) *out = problem;
  return result;
}

// A failed call's Win32 error in our terms. `error` keeps the errno the C library would have set
// for it, so that the words for the rest are the same as for a failed write on standard output.
FileProblem ProblemOfWin32Error(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY:
      return ProblemOfError(ENOENT);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_PRIVILEGE_NOT_HELD:
      return ProblemOfError(EACCES);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ProblemOfError(ENOSPC);
    case ERROR_WRITE_PROTECT:
      return ProblemOfError(EROFS);
    case ERROR_CANT_RESOLVE_FILENAME:
      return ProblemOfError(ELOOP);
    case ERROR_FILENAME_EXCED_RANGE:
      return ProblemOfError(ENAMETOOLONG);
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ProblemOfError(ENOMEM);
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
      return ProblemOfError(EEXIST);
    default:
      return ProblemOfError(EIO);
  }
}

FileProblem LastProblem() {
  return ProblemOfWin32Error(GetLastError());
}

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (Valid()) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE get() const { return handle_; }
  // Closes now, so that a failing close can be seen.
  bool Close() {
    const bool closed = CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

bool IsSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

// Where the name in `path` begins: after the last separator, or after a drive ("C:name").
std::size_t NameStart(const std::wstring& path) {
  const std::size_t separator = path.find_last_of(L"\\/");
  if (separator != std::wstring::npos) return separator + 1;
  if (path.size() >= 2 && path[1] == L':') return 2;
  return 0;
}

// CON, NUL, COM1, LPT1, ... name a device in every folder, with any extension; "\\.\" and "\\?\"
// paths that are no drive path name one as well. None of them is a file we may replace.
bool NamesADevice(const std::wstring& path) {
  if (path.size() > 4 && IsSeparator(path[0]) && IsSeparator(path[1]) &&
      (path[2] == L'.' || path[2] == L'?') && IsSeparator(path[3])) {
    const std::wstring_view rest = std::wstring_view(path).substr(4);
    const bool drive = rest.size() >= 2 && std::iswalpha(rest[0]) && rest[1] == L':';
    if (!drive && rest.rfind(L"UNC\\", 0) != 0) return true;
  }
  std::wstring stem = path.substr(NameStart(path));
  stem = stem.substr(0, stem.find(L'.'));
  while (!stem.empty() && (stem.back() == L' ' || stem.back() == L'.')) stem.pop_back();
  for (wchar_t& c : stem) c = static_cast<wchar_t>(std::towupper(c));
  if (stem == L"CON" || stem == L"PRN" || stem == L"AUX" || stem == L"NUL" || stem == L"CONIN$" ||
      stem == L"CONOUT$")
    return true;
  return stem.size() == 4 && (stem.rfind(L"COM", 0) == 0 || stem.rfind(L"LPT", 0) == 0) &&
         stem[3] >= L'1' && stem[3] <= L'9';
}

// What the attributes of an existing name say against reading or replacing it.
FileProblem FaultOf(DWORD attributes) {
  FileProblem problem;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
    problem.fault = FileFault::IsLink;  // a symbolic link, a junction, a mount point
  else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    problem.fault = FileFault::IsDirectory;
  else if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0)
    problem.fault = FileFault::NotRegular;
  return problem;
}

bool WriteAll(HANDLE file, std::string_view content) {
  while (!content.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size(), 1u << 20));
    DWORD written = 0;
    if (!WriteFile(file, content.data(), chunk, &written, nullptr)) return false;
    if (written == 0) {
      SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    content.remove_prefix(written);
  }
  return true;
}

// A file the operator kept private stays private: the new file takes the old one's access list
// (and whether it inherits from its folder), and its owner where we may give files away. Nothing
// to copy (a file system without access lists) is no failure.
bool KeepAccess(const std::wstring& old, std::wstring fresh) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  PACL dacl = nullptr;
  PSID owner = nullptr;
  if (GetNamedSecurityInfoW(old.c_str(), SE_FILE_OBJECT,
                            DACL_SECURITY_INFORMATION | OWNER_SECURITY_INFORMATION, &owner, nullptr,
                            &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
    return true;
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  GetSecurityDescriptorControl(descriptor, &control, &revision);
  const SECURITY_INFORMATION protection = (control & SE_DACL_PROTECTED) != 0
                                              ? PROTECTED_DACL_SECURITY_INFORMATION
                                              : UNPROTECTED_DACL_SECURITY_INFORMATION;
  DWORD result = ERROR_SUCCESS;
  if (dacl != nullptr)
    result =
        SetNamedSecurityInfoW(fresh.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | protection,
                              nullptr, nullptr, dacl, nullptr);
  // Only with the right to restore files; the writer owns the file otherwise.
  if (owner != nullptr)
    SetNamedSecurityInfoW(fresh.data(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, owner, nullptr,
                          nullptr, nullptr);
  LocalFree(descriptor);
  if (result == ERROR_NOT_SUPPORTED || result == ERROR_INVALID_FUNCTION) return true;
  SetLastError(result);
  return result == ERROR_SUCCESS;
}

// A new, empty file beside `path` under a name nobody else has: CREATE_NEW takes no name that is
// there already, a link least of all.
HANDLE CreateTemporaryBeside(const std::wstring& path, std::wstring& temporary) {
  const std::size_t cut = NameStart(path);
  const std::wstring folder = path.substr(0, cut);
  const std::wstring name = path.substr(cut);
  ULONGLONG seed = GetTickCount64() ^ (static_cast<ULONGLONG>(GetCurrentProcessId()) << 20);
  for (int attempt = 0; attempt < 100; ++attempt) {
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    wchar_t suffix[8];
    for (int i = 0; i < 6; ++i)
      suffix[i] = L"abcdefghijklmnopqrstuvwxyz0123456789"[(seed >> (i * 6 + 16)) % 36];
    suffix[6] = L'\0';
    temporary = folder + L"." + name + L"." + suffix;
    const HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) return file;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return file;
  }
  SetLastError(ERROR_FILE_EXISTS);
  return INVALID_HANDLE_VALUE;
}

}  // namespace

std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t limit,
                                           FileProblem* problem) {
  using Result = std::optional<std::string>;
  if (path.empty()) return Fail(problem, {FileFault::NoName}, Result());
  const std::wstring wide = WideText(path);
  if (wide.empty()) return Fail(problem, ProblemOfError(ENOENT), Result());
  // A device name is refused before it is opened: opening a serial port would raise its lines.
  if (NamesADevice(wide)) return Fail(problem, {FileFault::NotRegular}, Result());
  // With backup semantics a folder opens too, so that it can be told from a missing file.
  Handle file(CreateFileW(wide.c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.Valid()) return Fail(problem, LastProblem(), Result());
  if (GetFileType(file.get()) != FILE_TYPE_DISK)
    return Fail(problem, {FileFault::NotRegular}, Result());
  BY_HANDLE_FILE_INFORMATION information{};
  if (!GetFileInformationByHandle(file.get(), &information))
    return Fail(problem, LastProblem(), Result());
  // Reading follows links, as it does on Linux; only what they lead to counts.
  if (const FileProblem kind =
          FaultOf(information.dwFileAttributes & ~DWORD{FILE_ATTRIBUTE_REPARSE_POINT});
      kind.fault != FileFault::None)
    return Fail(problem, kind, Result());
  const FileProblem tooLarge{FileFault::TooLarge, 0, limit};
  const ULONGLONG size =
      (static_cast<ULONGLONG>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
  if (size > limit) return Fail(problem, tooLarge, Result());

  // Read to the end rather than trust the size: the file may grow while we read.
  std::string content;
  std::vector<char> buffer(64 * 1024);
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr))
      return Fail(problem, LastProblem(), Result());
    if (got == 0) break;
    content.append(buffer.data(), got);
    if (content.size() > limit) return Fail(problem, tooLarge, Result());
  }
  if (problem != nullptr) *problem = {};
  return content;
}

bool WriteWholeFile(const std::string& path, std::string_view content, FileProblem* problem) {
  if (path.empty()) return Fail(problem, {FileFault::NoName}, false);
  const std::wstring wide = WideText(path);
  if (wide.empty()) return Fail(problem, ProblemOfError(ENOENT), false);
  if (NamesADevice(wide)) return Fail(problem, {FileFault::NotRegular}, false);
  if (NameStart(wide) == wide.size()) return Fail(problem, {FileFault::IsDirectory}, false);
  // Looked at without being opened; a link is not followed.
  WIN32_FILE_ATTRIBUTE_DATA old{};
  bool exists = false;
  if (GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &old)) {
    if (const FileProblem kind = FaultOf(old.dwFileAttributes); kind.fault != FileFault::None)
      return Fail(problem, kind, false);
    // Windows will not move a file over a read-only one; said before anything is made.
    if ((old.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0)
      return Fail(problem, ProblemOfWin32Error(ERROR_ACCESS_DENIED), false);
    exists = true;
  } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
    return Fail(problem, LastProblem(), false);
  }

  std::wstring temporary;
  Handle file(CreateTemporaryBeside(wide, temporary));
  if (!file.Valid()) return Fail(problem, LastProblem(), false);
  const auto discard = [&] {
    const FileProblem why = LastProblem();
    if (file.Valid()) file.Close();
    DeleteFileW(temporary.c_str());
    return Fail(problem, why, false);
  };
  if (!WriteAll(file.get(), content)) return discard();
  if (!FlushFileBuffers(file.get())) return discard();
  if (!file.Close()) return discard();
  if (exists && !KeepAccess(wide, temporary)) return discard();
  // The C library's rename refuses an existing target on Windows; this replaces it, and returns
  // only once the move is on the disk.
  if (!MoveFileExW(temporary.c_str(), wide.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return discard();
  if (problem != nullptr) *problem = {};
  return true;
}

}  // namespace rukmox::platform
