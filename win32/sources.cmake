list(APPEND TARNELLE_WIN_SOURCES
  win32/font.cpp
  win32/message_box.cpp
  win32/window.cpp
)
