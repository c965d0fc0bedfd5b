// For the end-to-end tests of a Windows calc at a console: types keys into
// this program's console, as a person would, and then runs calc on that
// console and returns its exit status. Key events written with
// WriteConsoleInputA reach the console's line mode as typed ones do, Ctrl-Z
// included (wine's pseudo-terminal console does not pass a typed Ctrl-Z on).
//
// Usage: console_keys HEX PROGRAM, where HEX is the keys' bytes in hex: 0D is
// Enter and 1A is Ctrl-Z.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kUsageError = 125;

// A key's press and release, as the console gets them from the keyboard.
void AddKey(std::vector<INPUT_RECORD>* events, const char c) {
  INPUT_RECORD event = {};
  event.EventType = KEY_EVENT;
  KEY_EVENT_RECORD& key = event.Event.KeyEvent;
  key.wRepeatCount = 1;
  key.uChar.AsciiChar = c;
  if (c == '\r') {
    key.wVirtualKeyCode = VK_RETURN;
  } else if (c >= 1 && c <= 26) {
    key.wVirtualKeyCode = static_cast<WORD>('A' + c - 1);
    key.dwControlKeyState = LEFT_CTRL_PRESSED;
  } else {
    key.wVirtualKeyCode = static_cast<WORD>(LOBYTE(VkKeyScanA(c)));
  }
  key.wVirtualScanCode = static_cast<WORD>(MapVirtualKeyA(key.wVirtualKeyCode, 0));
  key.bKeyDown = TRUE;
  events->push_back(event);
  key.bKeyDown = FALSE;
  events->push_back(event);
}

bool TypeKeys(const char* hex) {
  std::vector<INPUT_RECORD> events;
  for (const char* digit = hex; digit[0] != '\0' && digit[1] != '\0'; digit += 2) {
    const char pair[3] = {digit[0], digit[1], '\0'};
    AddKey(&events, static_cast<char>(std::strtol(pair, nullptr, 16)));
  }
  DWORD written = 0;
  return WriteConsoleInputA(GetStdHandle(STD_INPUT_HANDLE), events.data(), static_cast<DWORD>(events.size()),
                            &written) != 0 &&
         written == events.size();
}

// Runs the program on this process's console and standard handles; its exit
// status, or kUsageError when it cannot be started.
int Run(const char* program) {
  std::string commandLine = std::string("\"") + program + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
    return kUsageError;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = kUsageError;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(status);
}

}  // namespace

int main(const int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: console_keys HEX PROGRAM\n");
    return kUsageError;
  }
  if (!TypeKeys(argv[1])) {
    std::fprintf(stderr, "console_keys: standard input is not a console\n");
    return kUsageError;
  }
  return Run(argv[2]);
}
