# The Windows build: cross-compiled with MinGW-w64 against the Windows SDK
# (Qt and StormLib built as DLLs, see scripts/windows-deps), or built on
# Windows itself with the same compiler.

# The SDK (Qt and StormLib for Windows), found through CMAKE_PREFIX_PATH.
set(QF_WINSDK_DIR /opt/quillforge-winsdk CACHE PATH "The Windows SDK: Qt and StormLib built for MinGW-w64")

# Cross-built, the tests and benchmarks run under Wine (scripts/wine-test).
if(CMAKE_CROSSCOMPILING)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-test)
endif()

# Windows 7's API (file information by handle, symbolic links) and no min/max macros.
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 NOMINMAX WIN32_LEAN_AND_MEAN)

# Every call into Windows names its W (wide) or A form itself. StormLib's
# header is the single-byte build's, so TCHAR must stay char: the UNICODE
# macros Qt would add are turned off for every target made below.
function(qf_windows_no_unicode_defines dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(NOT type STREQUAL "INTERFACE_LIBRARY" AND NOT type STREQUAL "UTILITY")
      set_target_properties(${target} PROPERTIES QT_NO_UNICODE_DEFINES ON)
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir ${subdirs})
    qf_windows_no_unicode_defines(${subdir})
  endforeach()
endfunction()

# StormLib's DLL carries its own bzip2 and exports it; the archive checks
# decode bzip2 sectors with those exports. The header is bzip2's own, taken
# from the build machine (it is the same on every system); BZ_EXPORT makes it
# declare the functions themselves rather than pointers to be loaded.
function(qf_windows_bzip2)
  find_file(QF_BZLIB_HEADER bzlib.h PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH)
  if(NOT QF_BZLIB_HEADER)
    find_file(QF_BZLIB_HEADER bzlib.h REQUIRED)
  endif()
  set(qf_bzlib_dir ${CMAKE_BINARY_DIR}/bzlib)
  configure_file(${QF_BZLIB_HEADER} ${qf_bzlib_dir}/bzlib.h COPYONLY)
  add_library(BZip2::BZip2 INTERFACE IMPORTED)
  set_target_properties(BZip2::BZip2 PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES ${qf_bzlib_dir}
    INTERFACE_COMPILE_DEFINITIONS BZ_EXPORT
    INTERFACE_LINK_LIBRARIES StormLib::StormLib)
endfunction()

# What the programs need beside them to run (under Wine too): the Qt,
# StormLib and MinGW runtime DLLs, the platform and style plugins, and for
# the offscreen platform, which finds no fonts of the system's, fonts where
# Qt looks for them (lib/fonts below Qt's prefix, which without a qt.conf is
# the programs' own folder).
function(qf_windows_runtime)
  set(sdk ${QF_WINSDK_DIR})
  set(bin ${CMAKE_BINARY_DIR}/bin)
  set(copies)
  foreach(dll Qt6Core Qt6Gui Qt6Widgets Qt6Test libstorm libstdc++-6 libgcc_s_seh-1 libwinpthread-1)
    list(APPEND copies ${sdk}/bin/${dll}.dll ${bin}/${dll}.dll)
  endforeach()
  foreach(plugin platforms/qwindows platforms/qoffscreen platforms/qminimal styles/qwindowsvistastyle)
    list(APPEND copies ${sdk}/plugins/${plugin}.dll ${bin}/${plugin}.dll)
  endforeach()
  file(GLOB fonts /usr/share/fonts/truetype/dejavu/DejaVuSans*.ttf)
  foreach(font ${fonts})
    get_filename_component(name ${font} NAME)
    list(APPEND copies ${font} ${bin}/lib/fonts/${name})
  endforeach()
  set(outputs)
  set(commands)
  while(copies)
    list(POP_FRONT copies from to)
    list(APPEND outputs ${to})
    list(APPEND commands COMMAND ${CMAKE_COMMAND} -E copy_if_different ${from} ${to})
  endwhile()
  add_custom_command(OUTPUT ${outputs} ${commands} COMMENT "Copying the Windows runtime beside the programs")
  add_custom_target(qf_windows_runtime ALL DEPENDS ${outputs})
endfunction()

# The program's icon for Windows (quillforge.ico in the build folder, made
# from desktop/quillforge.svg), linked into each named program as IDI_ICON1,
# the resource Explorer shows and Qt takes for the windows' icon. The
# installer uses the file itself.
function(qf_windows_icon)
  find_program(QF_RSVG_CONVERT rsvg-convert)
  find_program(QF_PYTHON3 python3)
  if(NOT QF_RSVG_CONVERT OR NOT QF_PYTHON3)
    message(FATAL_ERROR "The Windows icon is made with rsvg-convert and python3 (bash scripts/windows-deps installs them)")
  endif()
  set(svg ${CMAKE_SOURCE_DIR}/desktop/quillforge.svg)
  set(ico ${CMAKE_BINARY_DIR}/quillforge.ico)
  set(maker ${CMAKE_SOURCE_DIR}/packaging/windows/make-ico.py)
  add_custom_command(OUTPUT ${ico}
    COMMAND ${QF_PYTHON3} ${maker} --rsvg ${QF_RSVG_CONVERT} ${svg} ${ico}
    DEPENDS ${svg} ${maker} COMMENT "Making the program's icon")
  add_custom_target(qf_windows_icon DEPENDS ${ico})
  set(rc ${CMAKE_BINARY_DIR}/quillforge-icon.rc)
  file(CONFIGURE OUTPUT ${rc} CONTENT "IDI_ICON1 ICON \"${ico}\"\n")
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${ico})
  foreach(target ${ARGN})
    target_sources(${target} PRIVATE ${rc})
    add_dependencies(${target} qf_windows_icon)
  endforeach()
endfunction()
