# `cmake --install` into a fresh prefix puts the program, its tray image, the desktop entry and the
# icon where the asset lookup and desktop launchers find them.
# Run as: cmake -DBUILD_DIR=<build> -DPREFIX=<empty folder to use> -P InstallLayoutTest.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed:\n${output}")
endif()

set(failures "")
foreach(path bin/GlimmoDemo share/GlimmoDemo/assets/bullseye@2x.png share/icons/hicolor/scalable/apps/GlimmoDemo.svg
             share/applications/GlimmoDemo.desktop)
  if(NOT EXISTS "${PREFIX}/${path}")
    string(APPEND failures "missing ${path}\n")
  endif()
endforeach()
execute_process(COMMAND test -x "${PREFIX}/bin/GlimmoDemo" RESULT_VARIABLE notExecutable)
if(notExecutable)
  string(APPEND failures "bin/GlimmoDemo is not executable\n")
endif()

if(EXISTS "${PREFIX}/share/applications/GlimmoDemo.desktop")
  file(STRINGS "${PREFIX}/share/applications/GlimmoDemo.desktop" entry)
  foreach(line "[Desktop Entry]" "Type=Application" "Name=GlimmoDemo" "Exec=${PREFIX}/bin/GlimmoDemo"
               "Icon=GlimmoDemo")
    list(FIND entry "${line}" index)
    if(index EQUAL -1)
      string(APPEND failures "the desktop entry lacks the line '${line}'\n")
    endif()
  endforeach()
endif()

# Nothing but these: no libraries, headers or test programs.
file(GLOB_RECURSE installed RELATIVE "${PREFIX}" "${PREFIX}/*")
list(LENGTH installed count)
if(NOT count EQUAL 4)
  string(APPEND failures "expected 4 installed files, found ${count}: ${installed}\n")
endif()

file(REMOVE_RECURSE "${PREFIX}")
if(failures)
  message(FATAL_ERROR "${failures}")
endif()
