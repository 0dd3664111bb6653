// Output files on Windows: the one place where veltrane-cli.exe touches the file system.
// Every path goes to the wide (UTF-16) calls as an absolute \\?\ path, so that a name keeps
// every character it was given and folders deeper than MAX_PATH work.
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "backends/win32/text.h"
#include "cli/arguments.h"
#include "cli/output_file.h"

namespace veltrane {
namespace {

constexpr std::wstring_view extended_prefix = L"\\\\?\\";
constexpr std::wstring_view device_prefix = L"\\\\.\\";
// The longest name NTFS and FAT keep in one folder entry, in UTF-16 units.
constexpr std::size_t longest_name = 255;

// The reason in the C library's words, as other platforms give it, for the errors users
// meet most; the system's own message for the rest.
std::string reason(DWORD error) {
  struct Known {
    DWORD error;
    int errno_value;
  };
  // clang-format off
  static constexpr Known known[] = {
      {ERROR_ACCESS_DENIED, EACCES},        {ERROR_FILE_NOT_FOUND, ENOENT},
      {ERROR_PATH_NOT_FOUND, ENOENT},       {ERROR_DISK_FULL, ENOSPC},
      {ERROR_HANDLE_DISK_FULL, ENOSPC},     {ERROR_FILENAME_EXCED_RANGE, ENAMETOOLONG},
      {ERROR_WRITE_PROTECT, EROFS},         {ERROR_DIRECTORY, EISDIR},
  };
  // clang-format on
  for (const Known& k : known)
    if (k.error == error) return std::strerror(k.errno_value);
  wchar_t* message = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
  std::string text = length > 0 ? to_utf8(std::wstring_view(message, length))
                                : "system error " + std::to_string(error);
  LocalFree(message);
  while (!text.empty() &&
         (text.back() == '.' || text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
    text.pop_back();
  return text;
}

std::string failure(const std::string& path, DWORD error) {
  return "cannot write " + quoted_text(path) + ": " + reason(error);
}

// The folder part of the path as the user wrote it, for messages.
std::string folder_of(const std::string& path) {
  const auto separator = path.find_last_of("\\/");
  if (separator == std::string::npos) return ".";
  return path.substr(0, separator == 0 ? 1 : separator);
}

// The absolute form of `path` that the wide calls take past MAX_PATH: \\?\C:\... or
// \\?\UNC\server\share\...; a device (NUL, CON, COM1) comes back as \\.\NUL. A path in
// either namespace already is kept as given. Empty with `error` set when there is none.
std::wstring absolute_path(const std::wstring& path, DWORD& error) {
  if (path.starts_with(extended_prefix) || path.starts_with(device_prefix)) return path;
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) {
      error = GetLastError();
      return {};
    }
    if (length < full.size()) {
      full.resize(length);
      break;
    }
    full.resize(length);
  }
  if (full.starts_with(device_prefix)) return full;
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return std::wstring(extended_prefix) + full;
}

// The path a handle's file has after every link on the way, in the \\?\ namespace.
std::wstring final_path(HANDLE file) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetFinalPathNameByHandleW(file, path.data(), static_cast<DWORD>(path.size()), 0);
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(length);
  }
}

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (valid()) CloseHandle(handle_);
  }
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  // Closes now; the error a late-writing file system reports there, or 0.
  DWORD close() {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return CloseHandle(handle) ? 0 : GetLastError();
  }

 private:
  HANDLE handle_;
};

// Writes the pieces `produce` hands on. 0 or the first error; the pieces after a failure
// are dropped.
DWORD write_all(HANDLE file, const OutputPieces& produce) {
  DWORD error = 0;
  produce([&](std::string_view bytes) {
    while (error == 0 && !bytes.empty()) {
      const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
      DWORD written = 0;
      if (!WriteFile(file, bytes.data(), chunk, &written, nullptr))
        error = GetLastError();
      else if (written == 0)
        error = ERROR_WRITE_FAULT;
      bytes.remove_prefix(written);
    }
  });
  return error;
}

// Straight through, for what is not a file on a disk: a device (NUL, CON), a pipe.
std::string write_through(const std::string& path, HANDLE file, const OutputPieces& produce) {
  const DWORD error = write_all(file, produce);
  return error == 0 ? std::string() : failure(path, error);
}

bool set_delete_on_close(HANDLE file, bool remove) {
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = remove ? TRUE : FALSE;
  return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) !=
         0;
}

// Gives the open file `file` the name `target` (a \\?\ path), replacing what is there.
DWORD rename_over(HANDLE file, const std::wstring& target) {
  // The call takes the system's own form of the path: \??\ where Win32 writes \\?\.
  std::wstring name = L"\\??\\" + target.substr(extended_prefix.size());
  const std::size_t bytes = name.size() * sizeof(wchar_t);
  std::vector<unsigned char> buffer(offsetof(FILE_RENAME_INFO, FileName) + bytes + sizeof(wchar_t));
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->ReplaceIfExists = TRUE;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(bytes);
  std::memcpy(info->FileName, name.data(), bytes);
  return SetFileInformationByHandle(file, FileRenameInfo, info, static_cast<DWORD>(buffer.size()))
             ? 0
             : GetLastError();
}

// A name for the temporary file beside `target`: its own name with ".tmp" and six random
// characters, or, where that would be longer than a folder entry may be, a short name of
// fixed length in the same folder, which fits wherever the target's name does.
std::wstring temporary_name(const std::wstring& target, bool short_name) {
  static std::random_device random;
  static constexpr wchar_t digits[] = L"0123456789abcdefghijklmnopqrstuvwxyz";
  const std::size_t separator = target.rfind(L'\\');
  std::wstring name =
      short_name ? target.substr(0, separator + 1) + L".veltrane-" : target + L".tmp";
  for (unsigned value = random(), i = 0; i < 6; ++i, value /= 36) name += digits[value % 36];
  return name;
}

// Whether creating a new file failed on its name's length. A file system whose limit is in
// other units than UTF-16 ones (Wine's, in UTF-8 bytes) may say only that no such file can
// be, which a new file in an existing folder cannot otherwise be told.
bool name_too_long(DWORD error) {
  return error == ERROR_FILENAME_EXCED_RANGE || error == ERROR_INVALID_NAME ||
         error == ERROR_FILE_NOT_FOUND;
}

// Creates the temporary file, after the target's name first, then short when that name is
// too long. It is marked for deletion at once: until the page is complete, closing it in
// any way, the process's end included, removes it.
HANDLE create_temporary(const std::wstring& target, DWORD attributes, DWORD& error) {
  const std::size_t name_length = target.size() - target.rfind(L'\\') - 1;
  bool short_name = name_length + 10 > longest_name;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::wstring name = temporary_name(target, short_name);
    const HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                    attributes, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      if (set_delete_on_close(file, true)) return file;
      error = GetLastError();
      CloseHandle(file);
      DeleteFileW(name.c_str());
      return INVALID_HANDLE_VALUE;
    }
    error = GetLastError();
    if (name_too_long(error) && !short_name)
      short_name = true;
    else if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
      return INVALID_HANDLE_VALUE;
  }
  return INVALID_HANDLE_VALUE;
}

std::string replace_atomically(const std::string& path, const std::wstring& target,
                               DWORD attributes, const OutputPieces& produce) {
  DWORD error = 0;
  Handle file(create_temporary(target, attributes, error));
  if (!file.valid()) {
    const std::string folder = folder_of(path);
    if (error == ERROR_PATH_NOT_FOUND)
      return "cannot write " + quoted_text(path) + ": no folder " + quoted_text(folder);
    return "cannot write " + quoted_text(path) + ": cannot create a file in " +
           quoted_text(folder) + ": " + reason(error);
  }
  error = write_all(file.get(), produce);
  if (error == 0 && !FlushFileBuffers(file.get())) error = GetLastError();
  if (error == 0 && !set_delete_on_close(file.get(), false)) error = GetLastError();
  if (error == 0) error = rename_over(file.get(), target);
  // On failure the file goes with its handle, marked for deletion again where it was not.
  if (error != 0) set_delete_on_close(file.get(), true);
  const DWORD closed = file.close();
  if (error == 0) error = closed;
  return error == 0 ? std::string() : failure(path, error);
}

// The attributes a replacement keeps from the file it replaces.
constexpr DWORD kept_attributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

}  // namespace

std::string write_output_file(const std::string& path, const OutputPieces& produce,
                              const OutputFileHooks& /*hooks*/) {
  if (path.empty()) return failure(path, ERROR_FILE_NOT_FOUND);
  DWORD error = 0;
  std::wstring target = absolute_path(to_wide(path), error);
  if (target.empty()) return failure(path, error);
  constexpr DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  if (target.starts_with(device_prefix)) {
    const Handle device(
        CreateFileW(target.c_str(), GENERIC_WRITE, share, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!device.valid()) return failure(path, GetLastError());
    return write_through(path, device.get(), produce);
  }
  DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    error = GetLastError();
    // A missing folder is named by the attempt to create the file in it.
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return failure(path, error);
    return replace_atomically(path, target, FILE_ATTRIBUTE_NORMAL, produce);
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return failure(path, ERROR_DIRECTORY);
  // A file the user may not write in place is not theirs to replace.
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return failure(path, ERROR_ACCESS_DENIED);
  {
    // Opening follows every link to the file it ends at, which is the one replaced. The
    // handle is closed before the replacement, which an open file could refuse.
    const Handle existing(
        CreateFileW(target.c_str(), GENERIC_WRITE, share, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!existing.valid()) return failure(path, GetLastError());
    if (GetFileType(existing.get()) != FILE_TYPE_DISK)
      return write_through(path, existing.get(), produce);
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      target = final_path(existing.get());
      if (target.empty()) return failure(path, GetLastError());
      attributes = GetFileAttributesW(target.c_str());
      if (attributes == INVALID_FILE_ATTRIBUTES) return failure(path, GetLastError());
    }
  }
  const DWORD kept = attributes & kept_attributes;
  return replace_atomically(path, target, kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL, produce);
}

}  // namespace veltrane
