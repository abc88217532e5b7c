list(APPEND TARNELLE_CORE_SOURCES
  settings/values.cpp
)
list(APPEND TARNELLE_WIN_SOURCES
  settings/ini.cpp
  settings/user_store.cpp
)
