# Runs at install time (cmake --install, cpack): writes the installed path of every file that
# names one with the prefix actually in use, then installs the files. The ZANDRO_* folders are
# relative to the prefix; CMakeLists.txt sets them before this script runs.
function(zandro_full out relative)
  if(IS_ABSOLUTE "${relative}")
    set(${out} "${relative}" PARENT_SCOPE)
  else()
    set(${out} "${CMAKE_INSTALL_PREFIX}/${relative}" PARENT_SCOPE)
  endif()
endfunction()
zandro_full(bindir "${ZANDRO_BINDIR}")
zandro_full(ZANDRO_DATADIR "${ZANDRO_DATADIR_REL}")
zandro_full(ZANDRO_DOCDIR "${ZANDRO_DOCDIR_REL}")
zandro_full(ZANDRO_SLEEPDIR "${ZANDRO_SLEEPDIR_REL}")
zandro_full(mandir "${ZANDRO_MANDIR_REL}")
zandro_full(unitdir "${ZANDRO_UNITDIR_REL}")
set(ZANDRO_BINARY "${bindir}/zandro")

# Installs into several stages may run at once: each gets its own work folder.
string(MD5 stage "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(work "${ZANDRO_WORK_DIR}/${stage}")
file(REMOVE_RECURSE "${work}")
function(zandro_configure template name)
  configure_file("${ZANDRO_SOURCE_DIR}/${template}" "${work}/${name}" @ONLY)
endfunction()
# Debian wants the manual page and the changelog compressed, without a time stamp.
function(zandro_gzip name)
  execute_process(COMMAND gzip -9nf "${work}/${name}" RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "gzip ${name} failed")
  endif()
endfunction()

zandro_configure(zandro.desktop.in zandro.desktop)
zandro_configure(zandro-msrfile.desktop.in zandro-msrfile.desktop)
zandro_configure(org.zandro.pkexec.policy.in org.zandro.pkexec.policy)
zandro_configure(zandro.1.in zandro.1)
zandro_configure(zandro-boot.service.in zandro-boot.service)
zandro_configure(zandro-system-sleep.in zandro)
zandro_configure(changelog.in changelog)
zandro_gzip(zandro.1)
zandro_gzip(changelog)

set(data PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
file(INSTALL "${work}/zandro.desktop" "${work}/zandro-msrfile.desktop"
     DESTINATION "${ZANDRO_DATADIR}/applications" ${data})
file(INSTALL "${work}/org.zandro.pkexec.policy"
     DESTINATION "${ZANDRO_DATADIR}/polkit-1/actions" ${data})
file(INSTALL "${work}/zandro.1.gz" DESTINATION "${mandir}/man1" ${data})
file(INSTALL "${work}/changelog.gz" DESTINATION "${ZANDRO_DOCDIR}" ${data})
file(INSTALL "${work}/zandro-boot.service" DESTINATION "${unitdir}" ${data})
file(INSTALL "${work}/zandro" DESTINATION "${ZANDRO_SLEEPDIR}"
     PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                 WORLD_READ WORLD_EXECUTE)
