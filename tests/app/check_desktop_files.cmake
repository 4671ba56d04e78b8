# Installs the program's desktop integration into a scratch prefix and validates what landed there.
# Called with -DBUILD_DIR=... -DPREFIX=... -DAPP_ID=...

file(REMOVE_RECURSE ${PREFIX})
execute_process(
  COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --component varnelle --prefix ${PREFIX}
  RESULT_VARIABLE failed OUTPUT_QUIET)
if(failed)
  message(FATAL_ERROR "cmake --install failed")
endif()

set(desktop_file ${PREFIX}/share/applications/${APP_ID}.desktop)
set(metainfo_file ${PREFIX}/share/metainfo/${APP_ID}.metainfo.xml)
foreach(installed
    ${PREFIX}/bin/varnelle
    ${desktop_file}
    ${metainfo_file}
    ${PREFIX}/share/icons/hicolor/16x16/apps/${APP_ID}.png
    ${PREFIX}/share/icons/hicolor/scalable/apps/${APP_ID}.svg)
  if(NOT EXISTS ${installed})
    message(FATAL_ERROR "not installed: ${installed}")
  endif()
endforeach()

foreach(check
    "desktop-file-validate;${desktop_file}"
    "appstreamcli;validate;--no-net;${metainfo_file}"
    "appstreamcli;validate-tree;--no-net;${PREFIX}")
  execute_process(COMMAND ${check} RESULT_VARIABLE failed OUTPUT_VARIABLE said ERROR_VARIABLE said)
  if(failed)
    message(FATAL_ERROR "${check}:\n${said}")
  endif()
endforeach()
