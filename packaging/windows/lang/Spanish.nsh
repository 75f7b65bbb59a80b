; Orvane's own texts in Spanish (UTF-8). Pages and buttons come with MUI2.
LangString SecFiles ${LANG_SPANISH} "Orvane (necesario)"
LangString SecTune ${LANG_SPANISH} "Reproducir la melodía"
LangString SecChoose ${LANG_SPANISH} "Usar Orvane como mi protector de pantalla"
LangString NeedAdmin ${LANG_SPANISH} "Orvane necesita derechos de administrador para modificar System32 y Program Files."
LangString OnlyFolder ${LANG_SPANISH} "Orvane solo se puede instalar en ${DATA_DIR}, la carpeta que lee su protector de pantalla, no en $INSTDIR. No se ha cambiado nada."
LangString NoDriveC ${LANG_SPANISH} "El protector de pantalla de Orvane lee sus archivos de ${DATA_DIR}, y este equipo no tiene unidad C:. No se ha cambiado nada."
LangString NewerInstalled ${LANG_SPANISH} "Está instalado Orvane $0, que es más reciente que ${VERSION}. Desinstálelo primero para instalar esta versión."
