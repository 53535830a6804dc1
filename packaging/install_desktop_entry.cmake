# Writes the desktop entry at install time, when the prefix is known (cmake --install
# --prefix DIR may differ from the one configured). Run by the install script with
# TAVRINE_SOURCE, TAVRINE_BUILD, TAVRINE_BINDIR and TAVRINE_DATADIR set.

function(absolute_install_dir dir out)
  if(IS_ABSOLUTE "${dir}")
    set(${out} "${dir}" PARENT_SCOPE)
  else()
    set(${out} "${CMAKE_INSTALL_PREFIX}/${dir}" PARENT_SCOPE)
  endif()
endfunction()

# An argument of an Exec line: quoted, with the characters the desktop entry format reserves
# inside quotes escaped, and backslashes doubled once more for the string value itself.
function(exec_argument text out)
  string(REPLACE "\\" "\\\\\\\\" text "${text}")
  string(REPLACE "\"" "\\\\\"" text "${text}")
  string(REPLACE "`" "\\\\`" text "${text}")
  string(REPLACE "$" "\\\\$" text "${text}")
  set(${out} "\"${text}\"" PARENT_SCOPE)
endfunction()

absolute_install_dir("${TAVRINE_BINDIR}" bindir)
absolute_install_dir("${TAVRINE_DATADIR}" datadir)
exec_argument("${bindir}/tavrine3d" TAVRINE_SHOW_EXEC)
exec_argument("${bindir}/tavrine-tool" TAVRINE_TOOL_EXEC)
exec_argument("${datadir}/tavrine3d" TAVRINE_PACK_ARG)
string(REPLACE "\\" "\\\\" TAVRINE_PACK_PATH "${datadir}/tavrine3d")

# Written in a folder of this install's own, so that installs side by side do not share it.
string(RANDOM LENGTH 12 serial)
set(staging "${TAVRINE_BUILD}/desktop-entry-${serial}")
configure_file("${TAVRINE_SOURCE}/packaging/tavrine3d.desktop.in" "${staging}/tavrine3d.desktop" @ONLY)
file(INSTALL "${staging}/tavrine3d.desktop" DESTINATION "${datadir}/applications")
file(REMOVE_RECURSE "${staging}")
