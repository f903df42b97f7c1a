# Installs the build into a fresh staging folder (DESTDIR) and checks the tree it leaves.
#   -DBUILD_DIR= -DSTAGE= -DPREFIX= -DBINDIR= -DDATADIR= -DMANDIR=  (the last three absolute)
file(REMOVE_RECURSE "${STAGE}")
execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${STAGE} ${CMAKE_COMMAND} --install "${BUILD_DIR}"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()

set(root "${STAGE}")
set(expected
    "${BINDIR}/zandro"
    "${DATADIR}/applications/zandro.desktop"
    "${DATADIR}/icons/hicolor/scalable/apps/zandro.svg"
    "${DATADIR}/icons/hicolor/48x48/apps/zandro.png"
    "${DATADIR}/mime/packages/zandro.xml"
    "${DATADIR}/polkit-1/actions/org.zandro.pkexec.policy"
    "${MANDIR}/man1/zandro.1")
foreach(f IN LISTS expected)
  if(NOT EXISTS "${root}${f}")
    message(FATAL_ERROR "missing from the installed tree: ${f}")
  endif()
endforeach()
# Nothing may land outside the prefix.
file(GLOB_RECURSE all RELATIVE "${root}" "${root}/*")
foreach(f IN LISTS all)
  string(FIND "/${f}" "${PREFIX}/" at)
  if(NOT at EQUAL 0)
    message(FATAL_ERROR "installed outside the prefix ${PREFIX}: /${f}")
  endif()
endforeach()

function(expect_text file pattern)
  file(READ "${root}${file}" text)
  string(REGEX MATCH "${pattern}" found "${text}")
  if(NOT found)
    message(FATAL_ERROR "${file} does not contain ${pattern}")
  endif()
endfunction()
# The desktop entry gains the msr device's rights through the program's own polkit action.
expect_text("${DATADIR}/applications/zandro.desktop" "\nExec=pkexec ${BINDIR}/zandro\n")
expect_text("${DATADIR}/polkit-1/actions/org.zandro.pkexec.policy"
            "org.freedesktop.policykit.exec.path\">${BINDIR}/zandro<")
expect_text("${DATADIR}/polkit-1/actions/org.zandro.pkexec.policy" "exec.allow_gui\">true<")
expect_text("${DATADIR}/polkit-1/actions/org.zandro.pkexec.policy"
            "<allow_active>auth_admin_keep</allow_active>")
expect_text("${DATADIR}/mime/packages/zandro.xml" "<glob pattern=\"\\*\\.msr\"/>")
expect_text("${DATADIR}/icons/hicolor/48x48/apps/zandro.png" "^.PNG")
foreach(section "SYNOPSIS" "OPTIONS" "EXIT STATUS" "FILES" "zandro-boot.service" "/etc/zandro/boot.msr"
        "system-sleep" "config.ini" "\\\\-\\\\-describe" "\\\\-\\\\-save\\\\-as" "\\\\-\\\\-report\\\\-global")
  expect_text("${MANDIR}/man1/zandro.1" "${section}")
endforeach()
foreach(status 0 1 2 3 4 64)
  expect_text("${MANDIR}/man1/zandro.1" "\n.TP\n.B ${status}\n")
endforeach()

# The manual page must format without warnings where groff is at hand.
find_program(GROFF groff)
if(GROFF)
  execute_process(COMMAND ${GROFF} -man -ww -z "${root}${MANDIR}/man1/zandro.1"
                  ERROR_VARIABLE warnings RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0 OR warnings)
    message(FATAL_ERROR "groff: ${warnings}")
  endif()
endif()
