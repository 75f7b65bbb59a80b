; Orvane's own texts in Korean (UTF-8). Pages and buttons come with MUI2.
LangString SecFiles ${LANG_KOREAN} "Orvane (필수)"
LangString SecTune ${LANG_KOREAN} "음악 재생"
LangString SecChoose ${LANG_KOREAN} "Orvane을 내 화면 보호기로 사용"
LangString NeedAdmin ${LANG_KOREAN} "Orvane이 System32와 Program Files를 변경하려면 관리자 권한이 필요합니다."
LangString OnlyFolder ${LANG_KOREAN} "Orvane은 화면 보호기가 파일을 읽는 폴더인 ${DATA_DIR}에만 설치할 수 있으며, $INSTDIR에는 설치할 수 없습니다. 아무것도 변경되지 않았습니다."
LangString NoDriveC ${LANG_KOREAN} "Orvane 화면 보호기는 ${DATA_DIR}에서 파일을 읽는데, 이 컴퓨터에는 C: 드라이브가 없습니다. 아무것도 변경되지 않았습니다."
LangString NewerInstalled ${LANG_KOREAN} "${VERSION}보다 최신인 Orvane $0이(가) 설치되어 있습니다. 이 버전을 설치하려면 먼저 제거하세요."
