# Sourced by setup-data and start: sets DATA_HOME to the folder of the default data source, as an absolute
# path (odbc.ini names the database by it, whatever folder the program is started in). It is
# FITMARKEL_DATA_HOME when set, otherwise fitmarkel in XDG_DATA_HOME when that is absolute (the XDG base
# directory rules ignore a relative one), otherwise ~/.local/share/fitmarkel.
if [ -n "${FITMARKEL_DATA_HOME:-}" ]; then
  DATA_HOME="$FITMARKEL_DATA_HOME"
elif [[ "${XDG_DATA_HOME:-}" == /* ]]; then
  DATA_HOME="$XDG_DATA_HOME/fitmarkel"
else
  DATA_HOME="$HOME/.local/share/fitmarkel"
fi
[[ "$DATA_HOME" == /* ]] || DATA_HOME="$PWD/$DATA_HOME"
