#!/usr/bin/env bash
# Screenshots of the windows under Xvfb, with a small window manager so the
# captions show, into docs/screenshots/. A developer's tool: it installs
# twm and xdotool when they are missing.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/docs/screenshots"
mkdir -p "$out"
# The Polish locale the program is shown in.
"$root/scripts/setup.sh"
# twm draws its title bars with the classic X fonts; pdftoppm turns the
# chart's printed page into an image.
for package in twm xdotool xfonts-base poppler-utils; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$package" >/dev/null
done
work="$(mktemp -d)"
# A database server of its own, with sql.conf for it (support on) in the
# program's working folder.
K71T_DB_PASSWORD=k71t-shots "$root/scripts/mariadb.sh" start "$work/db" pomiary k71t > "$work/db.env"
trap '"$root/scripts/mariadb.sh" stop "$work/db" || true; rm -rf "$work"' EXIT
port="$(sed -n 's/^PORT=//p' "$work/db/server.env")"
"$root/build/k71t-cli" --sql-conf "$work/sql.conf" db settings --port "$port" --password k71t-shots --support on >/dev/null
"$root/build/k71t-cli" --sql-conf "$work/sql.conf" db create-table >/dev/null
# Title bars in a Unicode font, so Polish captions show as the program sets them.
font='"-misc-fixed-medium-r-normal--13-*-*-*-*-*-*-*"'
printf 'RandomPlacement\nUsePPosition "on"\nDecorateTransients\nNoGrabServer\n' > "$work/twmrc"
for f in TitleFont MenuFont IconFont ResizeFont IconManagerFont; do echo "$f $font" >> "$work/twmrc"; done

cat > "$work/shoot.sh" <<SHOOT
set -euo pipefail
cd "$work"
twm -f "$work/twmrc" >/dev/null 2>&1 &
"$root/build/k71t-sim" --link "$work/tty" --archive-records 500 >/dev/null &
sim=\$!
trap 'kill \$sim \${app:-} 2>/dev/null || true' EXIT
sleep 0.5
# Two configuration files for the open dialog to show.
"$root/build/k71t-cli" --device "$work/tty" config read "$work/Kotłownia" >/dev/null
"$root/build/k71t-cli" --device "$work/tty" config read "$work/Hala_1" >/dev/null
# The program runs in the locale of the operators' desktops.
LANG=pl_PL.UTF-8 LC_ALL=pl_PL.UTF-8 K71T_COM3="$work/tty" "$root/build/k71t" 2>/dev/null &
app=\$!
sleep 2
shot() { import -window root "$work/full.png"; convert "$work/full.png" -trim +repage "$out/\$1.png"; }
click() { # window-relative click on the start panel
  xdotool mousemove --window "\$wid" "\$1" "\$2"; sleep 0.3; xdotool click 1; sleep 1
}
shot no-last-configuration
xdotool key Return; sleep 0.5
wid=\$(xdotool search --onlyvisible --name '^K71T\$' | tail -1)
eval \$(xdotool getwindowgeometry --shell "\$wid")
# The pointer rests on the archive button, which shows it.
xdotool mousemove --window "\$wid" 60 \$((121 + 8 * 27)); sleep 0.5
shot start-panel
click 60 121
shot display-page
dwid=\$(xdotool search --onlyvisible --name 'Tryb pracy' | tail -1)
xdotool mousemove --window "\$dwid" 260 22; sleep 0.3; xdotool click 1; sleep 1
shot display-quantity-list
xdotool key Escape; sleep 0.5
xdotool mousemove --window "\$dwid" 200 400; sleep 0.3
xdotool key Escape; sleep 0.5
# The four pages after a read from the meter, with a characteristic worth drawing.
cli() { "$root/build/k71t-cli" --device "$work/tty" "\$@" >/dev/null; }
cli write 4008 6
cli write 7622 -100 0 0 20 150 35 400 60 900 80 2000 100
cli write 4030 2
cli write 7612 0 1000
cli write 4013 25 2 5 1
# A few status bits, devices and alarms for the system page.
cli write 4050 5
cli write 4051 33921
cli write 4052 19
cli write 4054 4
page() { # start panel button index, window title pattern, screenshot name
  click 60 \$((121 + \$1 * 27))
  pwid=\$(xdotool search --onlyvisible --name "\$2" | tail -1)
  eval \$(xdotool getwindowgeometry --shell "\$pwid")
  xdotool mousemove --window "\$pwid" 90 \$((HEIGHT - 45)); sleep 0.3; xdotool click 1; sleep 1.5
  shot "\$3"
  xdotool key Escape; sleep 0.5
  eval \$(xdotool getwindowgeometry --shell "\$wid")
}
page 1 'Charakterystyka Indywidualna' characteristic-page
page 2 'Wyjście analogowe' analog-page
page 3 'Konfiguracja alarmów' alarm-page
page 7 'Urządzenia dołączone' devices-page
# The system page after a status read; the interface page after its read.
click 60 \$((121 + 4 * 27))
swid=\$(xdotool search --onlyvisible --name 'Parametry systemowe' | tail -1)
xdotool mousemove --window "\$swid" 887 329; sleep 0.3; xdotool click 1; sleep 1.5 # "Odczytaj status"
shot system-page
xdotool key Escape; sleep 0.5
eval \$(xdotool getwindowgeometry --shell "\$wid")
page 5 'Parametry połączenia' interface-page
# The monitor polling the meter for a few seconds, with its frame.
click 60 \$((121 + 10 * 27))
sleep 3
shot monitor-live
mwid=\$(xdotool search --onlyvisible --name '^Monitor\$' | tail -1)
xdotool mousemove --window "\$mwid" 500 300; sleep 0.3
xdotool key Escape; sleep 0.5
eval \$(xdotool getwindowgeometry --shell "\$wid")
click 60 \$((121 + 8 * 27))
shot archive-window
awid=\$(xdotool search --onlyvisible --name '^Archiwum\$' | tail -1)
xdotool mousemove --window "\$awid" 130 20; sleep 0.3; xdotool click 1; sleep 2
shot archive-downloaded
# twm gives the keyboard to the window under the pointer.
xdotool mousemove --window "\$(xdotool search --onlyvisible --name '^Info\$' | tail -1)" 20 20; sleep 0.3
xdotool key Return; sleep 0.5
# Downloaded again with "delete and store in the database" ticked.
xdotool mousemove --window "\$awid" 18 74; sleep 0.3; xdotool click 1; sleep 0.5
xdotool mousemove --window "\$awid" 130 20; sleep 0.3; xdotool click 1; sleep 3
xdotool mousemove --window "\$(xdotool search --onlyvisible --name '^Info\$' | tail -1)" 20 20; sleep 0.3
xdotool key Return; sleep 0.5
xdotool mousemove --window "\$awid" 130 200; sleep 0.3
shot archive-stored-in-database
xdotool key Escape; sleep 0.5
# The database settings after a successful connection test.
eval \$(xdotool getwindowgeometry --shell "\$wid")
click 60 \$((121 + 6 * 27))
mwid=\$(xdotool search --onlyvisible --name '^MySQL\$' | tail -1)
eval \$(xdotool getwindowgeometry --shell "\$mwid")
xdotool mousemove --window "\$mwid" \$((WIDTH - 70)) 270; sleep 0.3; xdotool click 1; sleep 1.5
shot mysql-test-ok
xdotool mousemove --window "\$(xdotool search --onlyvisible --name '^Test\$' | tail -1)" 20 20; sleep 0.3
xdotool key Return; sleep 0.5
xdotool mousemove --window "\$mwid" 60 60; sleep 0.3
shot mysql-window
xdotool key Escape; sleep 0.5
eval \$(xdotool getwindowgeometry --shell "\$wid")
# The chart window as it opens, beside the start panel.
click 60 \$((121 + 11 * 27))
shot chart-window-start
xdotool mousemove --window "\$(xdotool search --onlyvisible --name '^Wykres\$' | tail -1)" 600 300; sleep 0.3
xdotool key Escape; sleep 0.5
eval \$(xdotool getwindowgeometry --shell "\$wid")
click 60 \$((121 + 14 * 27))
shot open-configuration-dialog
xdotool key Escape; sleep 0.5
click 60 \$((HEIGHT - 22))
shot about
xdotool key Return; sleep 0.5
kill \$app; wait \$app || true
kill \$sim; wait \$sim || true
# The bulk read from a meter configured otherwise, slow enough (250 ms to
# answer) for the progress box to be seen over the start panel.
"$root/build/k71t-sim" --link "$work/tty2" --turnaround 250 --archive-records 300 >/dev/null &
sim=\$!
sleep 0.5
cli2() { "$root/build/k71t-cli" --device "$work/tty2" "\$@" >/dev/null; }
cli2 write 4000 7
cli2 write 4003 25
cli2 write 4009 2
cli2 write 7600 12.5 87.5 -10 110
cli2 write 4013 3 1 15 1 4 0 30 0
cli2 write 7604 -5 105 0 50
cli2 write 4300 12 100 4 1 5 15 60 0
cli2 write 7664 2.5 97.5
# Three download tasks; the first is due at the first check, once the
# schedule has switched itself on a minute after start-up.
{
  printf '\t'
  printf 'Hala 1\t1\t00:00:00\t1\t1\t1\t'
  printf 'Kot\xb3ownia\t2\t06:00:00\t5\t2\t0\t'
  printf 'Magazyn\t7\t00:30:00\t1\t3\t1\t'
  for _ in \$(seq 29); do printf '\t0\t06:00:00\t0\t0\t1\t'; done
} > "$work/auto.conf"
K71T_COM3="$work/tty2" "$root/build/k71t" 2>/dev/null &
app=\$!
started=\$(date +%s)
sleep 2
wid=\$(xdotool search --onlyvisible --name '^K71T\$' | tail -1)
eval \$(xdotool getwindowgeometry --shell "\$wid")
xdotool mousemove --window "\$wid" 60 \$((121 + 12 * 27)); sleep 0.3; xdotool click 1; sleep 0.7
shot bulk-transfer
sleep 3
shown() { # start panel button index, window title pattern, screenshot name: the page as redrawn
  click 60 \$((121 + \$1 * 27))
  shot "\$3"
  pwid=\$(xdotool search --onlyvisible --name "\$2" | tail -1)
  xdotool mousemove --window "\$pwid" 20 20; sleep 0.3
  xdotool key Escape; sleep 0.5
  eval \$(xdotool getwindowgeometry --shell "\$wid")
}
shown 0 'Tryb pracy' bulk-read-display-page
shown 3 'Konfiguracja alarmów' bulk-read-alarm-page
shown 7 'Urządzenia dołączone' bulk-read-devices-page
# The task list after the first task has run (the run blocks the program
# for a while at this slow meter's pace).
for _ in \$(seq 150); do grep -q "Koniec realizacji zadania" "$work/automat.log" 2>/dev/null && break; sleep 1; done
sleep 1
click 60 \$((121 + 9 * 27))
twid=""
for _ in \$(seq 40); do
  twid=\$(xdotool search --onlyvisible --name '^Automatyczne pobieranie archiwum\$' 2>/dev/null | tail -1 || true)
  [ -n "\$twid" ] && break
  sleep 0.5
done
xdotool mousemove --window "\$twid" 60 57; sleep 0.3; xdotool click 1; sleep 0.5
shot automat-window
kill \$app \$sim
SHOOT
xvfb-run -a -s "-screen 0 1280x1024x24" bash ${SHOOT_TRACE:+-x} "$work/shoot.sh"
# Windows without a button of their own yet, and the monitor after minutes of
# polling on the fake clock (no window frame in these).
# The chart's database load uses the server started above.
while IFS='=' read -r key value; do
  export "K71T_TEST_DB_$key=$value"
done < "$work/db.env"
LANG=pl_PL.UTF-8 LC_ALL=pl_PL.UTF-8 QT_QPA_PLATFORM=offscreen "$root/build/tests/k71t-grab" "$out"
pdftoppm -png -r 80 -singlefile "$out/chart-print.pdf" "$out/chart-print"
rm -f "$out/chart-print.pdf"
ls "$out"
