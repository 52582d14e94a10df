# Run by `cmake --install`: makes the launchers and the desktop entry for the prefix given and installs
# them. They name the installed files by absolute paths, quoted for the shell and for the entry's Exec
# key, so that the prefix may hold any character a folder's name can (a line break aside).
# Set before: FM_MADE (where the files are made), FM_LIBEXEC, FM_BINDIR and FM_DATADIR (relative to the
# prefix).
set(libexec "${CMAKE_INSTALL_PREFIX}/${FM_LIBEXEC}")
set(bindir "${CMAKE_INSTALL_PREFIX}/${FM_BINDIR}")
# A folder per destination: installations into two prefixes at once do not write each other's files.
string(MD5 destination "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(made "${FM_MADE}/${destination}")

# One word of a POSIX shell: between single quotes, each single quote closed, escaped and reopened.
function(shell_word out value)
  string(REPLACE "'" "'\\''" value "${value}")
  set(${out} "'${value}'" PARENT_SCOPE)
endfunction()

shell_word(start "${libexec}/scripts/start")
foreach(program fitmarkel fitmarkel-load-limits)
  shell_word(target "${libexec}/${program}")
  configure_file("${CMAKE_CURRENT_LIST_DIR}/fitmarkel.in" "${made}/${program}" @ONLY)
  file(INSTALL "${made}/${program}" DESTINATION "${bindir}"
       FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endforeach()

# The Exec key's quoting: between double quotes, a backslash before " ` $ and \; then every backslash
# doubled, as in any string value of the entry, and a % doubled, which would start a field code.
set(exec "${bindir}/fitmarkel")
string(REPLACE "\\" "\\\\" exec "${exec}")
foreach(special "\"" "`" "$")
  string(REPLACE "${special}" "\\${special}" exec "${exec}")
endforeach()
string(REPLACE "\\" "\\\\" exec "${exec}")
string(REPLACE "%" "%%" exec "${exec}")
set(exec "\"${exec}\"")
configure_file("${CMAKE_CURRENT_LIST_DIR}/fitmarkel.desktop.in" "${made}/fitmarkel.desktop" @ONLY)
file(INSTALL "${made}/fitmarkel.desktop" DESTINATION "${CMAKE_INSTALL_PREFIX}/${FM_DATADIR}/applications")
