# Needs the Qt windows: built when they are (-DXUNDA_GUI=ON).
if(TARGET xunda_ui)
  xunda_bench(ui_freeze DEPS xunda_ui)
endif()
