list(APPEND TARNELLE_CORE_SOURCES
)
list(APPEND TARNELLE_WIN_SOURCES
  switcher/checkbox.cpp
  switcher/frmset.cpp
  switcher/keyfun.cpp
  switcher/strip.cpp
)
