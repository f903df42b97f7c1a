# Installs the build with a given prefix into a fresh staging folder (DESTDIR) and checks the tree
# it leaves: every file in place, every path written into a file naming this prefix, and no file
# naming another one.
#   -DBUILD_DIR= -DSTAGE= -DPREFIX= -DFOREIGN="prefix;prefix" [-DPLANT=ON]
# PLANT puts a file naming a foreign prefix into the tree first: the check must then fail.
file(REMOVE_RECURSE "${STAGE}")
execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${STAGE}
                        ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install --prefix ${PREFIX} failed: ${rc}")
endif()

set(root "${STAGE}")
set(BINDIR "${PREFIX}/bin")
set(DATADIR "${PREFIX}/share")
set(MANDIR "${PREFIX}/share/man")
set(DOCDIR "${PREFIX}/share/doc/zandro")
set(expected
    "${BINDIR}/zandro"
    "${DATADIR}/applications/zandro.desktop"
    "${DATADIR}/applications/zandro-msrfile.desktop"
    "${DATADIR}/icons/hicolor/scalable/apps/zandro.svg"
    "${DATADIR}/icons/hicolor/48x48/apps/zandro.png"
    "${DATADIR}/mime/packages/zandro.xml"
    "${DATADIR}/polkit-1/actions/org.zandro.pkexec.policy"
    "${DATADIR}/zandro/installed-copy"
    "${DATADIR}/lintian/overrides/zandro"
    "${MANDIR}/man1/zandro.1.gz"
    "${DOCDIR}/copyright"
    "${DOCDIR}/changelog.gz"
    "${PREFIX}/lib/systemd/system/zandro-boot.service"
    "${PREFIX}/lib/systemd/system-sleep/zandro")
foreach(f IN LISTS expected)
  if(NOT EXISTS "${root}${f}")
    message(FATAL_ERROR "missing from the installed tree: ${f}")
  endif()
endforeach()

# Compressed files are read through gzip, every other file as it is (the program too).
set(plain "${STAGE}-plain")
file(REMOVE_RECURSE "${plain}")
function(text_of out file)
  if(file MATCHES "\\.gz$")
    string(MAKE_C_IDENTIFIER "${file}" name)
    execute_process(COMMAND gzip -dc "${root}${file}" OUTPUT_FILE "${plain}/${name}"
                    RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "${file} is not gzip")
    endif()
    set(${out} "${plain}/${name}" PARENT_SCOPE)
  else()
    set(${out} "${root}${file}" PARENT_SCOPE)
  endif()
endfunction()
file(MAKE_DIRECTORY "${plain}")

if(PLANT)
  list(GET FOREIGN 0 planted)
  file(WRITE "${root}${DATADIR}/applications/planted.desktop" "Exec=${planted}/bin/zandro\n")
endif()

# Nothing may land outside the prefix, and no file may name another prefix's copy.
file(GLOB_RECURSE all RELATIVE "${root}" "${root}/*")
foreach(f IN LISTS all)
  string(FIND "/${f}" "${PREFIX}/" at)
  if(NOT at EQUAL 0)
    message(FATAL_ERROR "installed outside the prefix ${PREFIX}: /${f}")
  endif()
  text_of(text "/${f}")
  foreach(other IN LISTS FOREIGN)
    if(other STREQUAL PREFIX)
      continue()
    endif()
    file(STRINGS "${text}" hits REGEX "${other}/(bin/zandro|lib/systemd/[a-z-]+/zandro|share/(zandro|doc/zandro|polkit-1/actions/org.zandro|applications/zandro|man/man1/zandro))")
    if(hits)
      message(FATAL_ERROR "/${f} names the other prefix ${other}: ${hits}")
    endif()
  endforeach()
endforeach()

function(expect_text file pattern)
  text_of(path "${file}")
  file(READ "${path}" text)
  string(REGEX MATCH "${pattern}" found "${text}")
  if(NOT found)
    message(FATAL_ERROR "${file} does not contain ${pattern}")
  endif()
endfunction()
set(exe "${BINDIR}/zandro")
# The menu entry and the .msr type gain the msr device's rights through the program's polkit
# action, which allows exactly this executable.
expect_text("${DATADIR}/applications/zandro.desktop" "\nExec=pkexec ${exe}\nTryExec=${exe}\n")
expect_text("${DATADIR}/applications/zandro-msrfile.desktop" "\nExec=pkexec ${exe} %f 32\n")
expect_text("${DATADIR}/applications/zandro-msrfile.desktop" "\nMimeType=application/x-zandro-msr;\n")
expect_text("${DATADIR}/polkit-1/actions/org.zandro.pkexec.policy"
            "org.freedesktop.policykit.exec.path\">${exe}<")
expect_text("${DATADIR}/polkit-1/actions/org.zandro.pkexec.policy" "exec.allow_gui\">true<")
expect_text("${DATADIR}/polkit-1/actions/org.zandro.pkexec.policy"
            "<allow_active>auth_admin_keep</allow_active>")
expect_text("${DATADIR}/mime/packages/zandro.xml" "<glob pattern=\"\\*\\.msr\"/>")
expect_text("${DATADIR}/mime/packages/zandro.xml" "<comment>[^<]*configuration file</comment>")
expect_text("${DATADIR}/icons/hicolor/48x48/apps/zandro.png" "^.PNG")
expect_text("${PREFIX}/lib/systemd/system/zandro-boot.service" "\nExecStart=${exe} ")
expect_text("${PREFIX}/lib/systemd/system/zandro-boot.service" "\nDocumentation=man:zandro\\(1\\) ")
expect_text("${PREFIX}/lib/systemd/system-sleep/zandro" ":-${exe}}")
expect_text("${DOCDIR}/copyright" "\nLicense: GPL-3\\+\n")
expect_text("${DOCDIR}/changelog.gz" "^zandro \\(")
foreach(section "SYNOPSIS" "OPTIONS" "EXIT STATUS" "FILES" "zandro-boot.service" "/etc/zandro/boot.msr"
        "${PREFIX}/lib/systemd/system-sleep/" "config.ini" "\\\\-\\\\-describe" "\\\\-\\\\-save\\\\-as"
        "\\\\-\\\\-report\\\\-global" "\n.I ${exe}\n")
  expect_text("${MANDIR}/man1/zandro.1.gz" "${section}")
endforeach()
# The manual's boot recipe is the command the unit runs: without --assume-yes a first run ends at
# the power-user warning.
expect_text("${MANDIR}/man1/zandro.1.gz"
            "zandro \\\\-\\\\-headless \\\\-\\\\-assume\\\\-yes /etc/zandro/boot.msr 32")
foreach(status 0 1 2 3 4 64)
  expect_text("${MANDIR}/man1/zandro.1.gz" "\n.TP\n.B ${status}\n")
endforeach()

# The manual page must format without warnings where groff is at hand.
find_program(GROFF groff)
if(GROFF)
  text_of(page "${MANDIR}/man1/zandro.1.gz")
  execute_process(COMMAND ${GROFF} -man -ww -z "${page}" ERROR_VARIABLE warnings RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0 OR warnings)
    message(FATAL_ERROR "groff: ${warnings}")
  endif()
endif()
