#include "legacy_family.h"

#include "host_state.h"
#include "saver_host.h"

static const char scratch_hive[] = "Software\\Orvane Tests\\Hive";

std::string stand_in_folder() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of("\\/") + 1) + "stand-ins\\";
}

bool saver_running_mark() {
  BOOL running = FALSE;
  return SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0) && running;
}

void use_password(DWORD value) {
  RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "ScreenSaveUsePassword", REG_DWORD,
                  &value, sizeof value);
}

void LegacyFamily::SetUp() {
  HostTest::SetUp();
  legacy_platform = 1;
  RegDeleteTreeA(HKEY_CURRENT_USER, scratch_hive);
  HKEY hive;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, scratch_hive, 0, nullptr, 0,
                                           KEY_ALL_ACCESS, nullptr, &hive, nullptr));
  ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CURRENT_USER, hive));
  RegCloseKey(hive);
  UINT scratch;
  SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, 0, &scratch, 0);
}

void LegacyFamily::TearDown() {
  unload_password_verifier();
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  RegDeleteTreeA(HKEY_CURRENT_USER, scratch_hive);
  SetDllDirectoryA(nullptr);
  HostTest::TearDown();
}

void LegacyFamily::load_libraries_from(const std::string& folder) {
  ASSERT_TRUE(SetDllDirectoryA(folder.c_str()));
}
