# Needs the Qt windows: built when they are (-DXUNDA_GUI=ON).
if(TARGET xunda_ui)
  xunda_bench(subscriber_send DEPS xunda_ui)
endif()
