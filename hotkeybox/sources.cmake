list(APPEND TARNELLE_CORE_SOURCES
  hotkeybox/capture.cpp
  hotkeybox/properties.cpp
)
list(APPEND TARNELLE_WIN_SOURCES
  hotkeybox/orvanta.cpp
  hotkeybox/subclass.cpp
)
