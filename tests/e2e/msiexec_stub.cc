// A stand-in for the Windows Installer in the launcher's tests: placed
// beside archsetup.exe as Msiexec.exe, it records the command line and the
// current folder it was started with, and stays alive for a few seconds
// so that a test can see that the launcher did not wait for it.
#include <cstdio>

#include "platform/win32/win32_api.h"

namespace {

std::wstring OwnFolder() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L'\\'));
}

void WriteUtf16(const std::wstring& path, const std::wstring& text) {
  FILE* f = ::_wfopen(path.c_str(), L"wb");
  if (f == nullptr) return;
  std::fwrite(text.data(), sizeof(wchar_t), text.size(), f);
  std::fclose(f);
}

}  // namespace

int main() {
  const std::wstring folder = OwnFolder();
  wchar_t current[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, current);
  WriteUtf16(folder + L"\\msiexec-command-line.txt",
             std::wstring(::GetCommandLineW()) + L"\n" + current);
  ::Sleep(3000);
  WriteUtf16(folder + L"\\msiexec-finished.txt", L"finished");
  return 0;
}
