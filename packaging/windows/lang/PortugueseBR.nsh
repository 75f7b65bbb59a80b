; Orvane's own texts in Portuguese (Brazil) (UTF-8). Pages and buttons come with MUI2.
LangString SecFiles ${LANG_PORTUGUESEBR} "Orvane (obrigatório)"
LangString SecTune ${LANG_PORTUGUESEBR} "Tocar a música"
LangString SecChoose ${LANG_PORTUGUESEBR} "Usar o Orvane como minha proteção de tela"
LangString NeedAdmin ${LANG_PORTUGUESEBR} "O Orvane precisa de direitos de administrador para alterar System32 e Program Files."
LangString OnlyFolder ${LANG_PORTUGUESEBR} "O Orvane só pode ser instalado em ${DATA_DIR}, a pasta que sua proteção de tela lê, e não em $INSTDIR. Nada foi alterado."
LangString NoDriveC ${LANG_PORTUGUESEBR} "A proteção de tela do Orvane lê seus arquivos de ${DATA_DIR}, e este computador não tem unidade C:. Nada foi alterado."
LangString NewerInstalled ${LANG_PORTUGUESEBR} "O Orvane $0 está instalado e é mais recente que ${VERSION}. Remova-o primeiro para instalar esta versão."
