; Orvane's own texts in Japanese (UTF-8). Pages and buttons come with MUI2.
LangString SecFiles ${LANG_JAPANESE} "Orvane (必須)"
LangString SecTune ${LANG_JAPANESE} "曲を再生する"
LangString SecChoose ${LANG_JAPANESE} "Orvane をスクリーン セーバーとして使う"
LangString NeedAdmin ${LANG_JAPANESE} "System32 と Program Files を変更するため、Orvane には管理者権限が必要です。"
LangString OnlyFolder ${LANG_JAPANESE} "Orvane をインストールできるのは、スクリーン セーバーがファイルを読み込む ${DATA_DIR} だけです。$INSTDIR にはインストールできません。何も変更されていません。"
LangString NoDriveC ${LANG_JAPANESE} "Orvane のスクリーン セーバーは ${DATA_DIR} からファイルを読み込みますが、このコンピューターには C: ドライブがありません。何も変更されていません。"
LangString NewerInstalled ${LANG_JAPANESE} "${VERSION} より新しい Orvane $0 がインストールされています。このバージョンをインストールするには、先にそれを削除してください。"
