# The setup program vok-setup.exe (Windows GUI subsystem, static runtime):
# start-up, message catalogue, main dialog and progress bar in vok_gui (which
# tests link too), the process entry and the resources in the program.
file(GLOB VOK_GUI_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
add_library(vok_gui STATIC ${VOK_GUI_SOURCES})
target_include_directories(vok_gui PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(vok_gui PUBLIC vok_os vok_platform)
if(TARGET vok_imisc)
  target_link_libraries(vok_gui PUBLIC vok_imisc)
endif()
vok_warnings(vok_gui)

add_executable(vok-setup WIN32 $<TARGET_OBJECTS:vok_resources> $<TARGET_OBJECTS:vok_os_entry>)
target_link_libraries(vok-setup PRIVATE vok_gui)
vok_warnings(vok-setup)
