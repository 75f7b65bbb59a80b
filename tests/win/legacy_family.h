// The 95/98/Me family inside the test process: a private registry hive in
// place of HKEY_CURRENT_USER, and the stand-in password verifier within reach
// of the library loader.
#pragma once

#include <string>

#include "host_test_support.h"

// The folder of the stand-in PASSWORD.CPL and MPR.DLL, with a trailing backslash.
std::string stand_in_folder();
// The system's saver-running mark as this process sees it.
bool saver_running_mark();
// Sets "ScreenSaveUsePassword" under "Control Panel\Desktop" of the current hive.
void use_password(DWORD value);

class LegacyFamily : public HostTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Lets the library loader find the libraries in folder.
  void load_libraries_from(const std::string& folder);
};
