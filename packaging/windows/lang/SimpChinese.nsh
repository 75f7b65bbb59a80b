; Orvane's own texts in Chinese (Simplified) (UTF-8). Pages and buttons come with MUI2.
LangString SecFiles ${LANG_SIMPCHINESE} "Orvane (必需)"
LangString SecTune ${LANG_SIMPCHINESE} "播放乐曲"
LangString SecChoose ${LANG_SIMPCHINESE} "将 Orvane 用作我的屏幕保护程序"
LangString NeedAdmin ${LANG_SIMPCHINESE} "Orvane 需要管理员权限才能更改 System32 和 Program Files。"
LangString OnlyFolder ${LANG_SIMPCHINESE} "Orvane 只能安装在其屏幕保护程序读取文件的文件夹 ${DATA_DIR} 中，不能安装在 $INSTDIR 中。未做任何更改。"
LangString NoDriveC ${LANG_SIMPCHINESE} "Orvane 的屏幕保护程序从 ${DATA_DIR} 读取文件，而这台计算机没有 C: 驱动器。未做任何更改。"
LangString NewerInstalled ${LANG_SIMPCHINESE} "已安装 Orvane $0，比 ${VERSION} 更新。请先将其删除，再安装此版本。"
