list(APPEND TARNELLE_CORE_SOURCES
  shell/tray_decode.cpp
)
list(APPEND TARNELLE_WIN_SOURCES
  shell/links.cpp
  shell/menu_window.cpp
  shell/moveit.cpp
  shell/picture.cpp
  shell/shell32.cpp
  shell/tray.cpp
)
