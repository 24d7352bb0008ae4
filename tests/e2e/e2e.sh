#!/bin/bash
# End-to-end cases of the setup program under Wine: e2e.sh CASE
#
# Each case gets a fresh directory in the build tree holding a copy of
# vok-setup.exe and the (empty) archive files of the case, and drives the
# program there with uidriver.exe (tools/uidriver). The environment names
# the build (VOK_BUILD_DIR) and the three programs (VOK_SETUP_EXE,
# VOK_UIDRIVER_EXE, VOK_PROBE_EXE).
set -eu
case_name="$1"
build="${VOK_BUILD_DIR:?}"
run="$build/wine-run.sh"
work="$build/e2e/$case_name"
rm -rf "$work"
mkdir -p "$work/setup"

# Wine sees the Unix root as drive Z:.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

setup_with() {  # archive names...
  cp "$VOK_SETUP_EXE" "$work/setup/vok-setup.exe"
  for archive in "$@"; do : >"$work/setup/$archive"; done
}

exe() { winpath "$work/setup/vok-setup.exe"; }

drive() {  # uidriver steps...
  "$run" "$VOK_UIDRIVER_EXE" "$@" </dev/null
}

# No window manager runs on the test display. Wine then waits two seconds
# for one whenever a window is hidden, and draws no captions: tell it once
# per prefix that its windows are neither managed nor decorated.
x11_settings() {
  local prefix="${VOK_WINEPREFIX:-$build/wineprefix}"
  [ -f "$prefix/.vok-e2e-x11" ] && return
  drive >/dev/null  # makes the prefix
  for value in Managed Decorated; do
    "$run" reg add 'HKCU\Software\Wine\X11 Driver' /v $value /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
  done
  : >"$prefix/.vok-e2e-x11"
}

no_profile_entry() { drive profile-delete "Vokatel " WindowPos; }

# A dialog in a language: caption, buttons, the note, the check boxes, one
# of the two pictures (both placed at box 304's left and box 300's top; the
# test display's font leaves room for the small one only); then it is ended
# by "Cancel" or by closing it.
expect_dialog() {  # caption install cancel note how-to-end [start-directory]
  local caption="$1" install="$2" cancel="$3" note="$4" ending="$5" cwd="${6:--}"
  local end_steps=(click 2)
  [ "$ending" = close ] && end_steps=(close)
  drive start "$(exe)" "$cwd" wait-dialog "$caption" expect-windows 1 \
    expect-text 1 "$install" expect-text 2 "$cancel" expect-text 105 "$note" \
    expect-check 300 0 expect-check 303 1 expect-check 304 1 expect-check 305 1 \
    expect-visible 201 1 expect-visible 200 0 expect-text 309 "" \
    expect-place 201 304 300 200 180 expect-place 200 304 300 230 210 \
    "${end_steps[@]}" wait-exit 0
}

nt_refusal() {  # archive title text
  setup_with "$1"
  drive env VOK_SYSVALUE_1=4 env VOK_SYSVALUE_0=351 start "$(exe)" - wait-box expect-windows 1 \
    expect-box-title "$2" expect-box-text "$3" expect-box-buttons OK answer OK wait-exit 0
}

x11_settings

case "$case_name" in
  no_archive)
    setup_with
    drive start "$(exe)" - wait-box expect-windows 1 expect-box-title "Error" \
      expect-box-text "Sorry, no files to install!" expect-box-buttons OK answer OK wait-exit 0
    ;;
  language_english)
    setup_with INSTALL.FIL INSTALLF.FIL
    no_profile_entry
    expect_dialog "VOK Install V3.062" Install Cancel "This installation program contains Arcwright's unpak" cancel
    ;;
  language_german)
    setup_with INSTALLD.FIL INSTALLF.FIL
    no_profile_entry
    expect_dialog "VOK Installation V3.062" Installieren Abbruch \
      "Dieses Installations-Programm benutzt Sourcecode von Arcwright" close
    ;;
  language_french)
    setup_with INSTALLF.FIL
    no_profile_entry
    expect_dialog "Installation de VOK V3.062" Installer Annuler \
      "Ce programme d'installation contient le programme de décompression d'Arcwright" cancel
    drive start "$(exe)" - wait-dialog "Installation de VOK V3.062" expect-text 300 "VOK est déjà installé" \
      expect-text 317 "Réceptions de fichiers" close wait-exit 0
    ;;
  other_current_directory)
    # Started from elsewhere, with an archive of another language there: the
    # program still uses its own directory.
    setup_with INSTALL.FIL
    mkdir -p "$work/elsewhere"
    : >"$work/elsewhere/INSTALLF.FIL"
    no_profile_entry
    expect_dialog "VOK Install V3.062" Install Cancel "This installation program contains Arcwright's unpak" cancel \
      "$(winpath "$work/elsewhere")"
    ;;
  window_pos_saved)
    setup_with INSTALL.FIL
    drive profile-set "Vokatel " WindowPos "10 10 400 300" \
      start "$(exe)" - wait-dialog "VOK Install V3.062" expect-check 300 1 click 2 wait-exit 0 \
      profile-delete "Vokatel " WindowPos \
      start "$(exe)" - wait-dialog "VOK Install V3.062" expect-check 300 0 click 2 wait-exit 0
    ;;
  nt351_refused_german)
    nt_refusal INSTALLD.FIL Fehler \
      "Dieses Programm benötigt mindestens Windows NT 4.00 - Installation wird abgebrochen!"
    ;;
  nt351_refused_french)
    nt_refusal INSTALLF.FIL Erreur \
      "Désolé, ce programme exige Windows NT 4.00 ou une version ultérieure - installation abandonnée!"
    ;;
  nt400_accepted)
    setup_with INSTALL.FIL
    drive env VOK_SYSVALUE_1=4 env VOK_SYSVALUE_0=400 start "$(exe)" - \
      wait-dialog "VOK Install V3.062" click 2 wait-exit 0
    ;;
  windows95_accepted)
    # A Windows 95 platform value passes whatever the version.
    setup_with INSTALL.FIL
    drive env VOK_SYSVALUE_1=1 env VOK_SYSVALUE_0=3 start "$(exe)" - \
      wait-dialog "VOK Install V3.062" click 2 wait-exit 0
    ;;
  message_box_characters)
    # German "ü" (MSG_ALL_DONE, entry 5) and French "é" (MSG_STATUS_DONE,
    # entry 0; MSG_BACKUPS_MADE, entry 18) as the user sees them.
    probe="$(winpath "$VOK_PROBE_EXE")"
    drive start-with "$probe" - "1 5" wait-box expect-box-title "Information" \
      expect-box-text "Installation erfolgreich beendet (VOK-Eintrag wurde im Startmenü erzeugt)" \
      answer OK wait-exit 0 \
      start-with "$probe" - "2 18" wait-box expect-box-title "Information" \
      expect-box-text "Tous les fichiers écrasés intentionnellement ont été sauvegardés dans le même répertoire!" \
      answer OK wait-exit 0
    ;;
  questions)
    # ask_yes_no: Yes and No; only Yes counts. With 0x80 (overwrite and beta
    # questions) No is the default button; otherwise Yes is. The buttons are
    # labelled in the system's language, not the run's.
    probe="$(winpath "$VOK_PROBE_EXE")"
    drive start-with "$probe" - "0 17 0x80" wait-box expect-box-title "Information" \
      expect-box-text "Overwrite existing option files with VOK's installation defaults (all VOK settings will be lost)?" \
      expect-box-buttons "Yes|No" expect-box-default No answer Yes wait-exit 1 \
      start-with "$probe" - "1 17 0x80" wait-box expect-box-buttons "Yes|No" answer No wait-exit 0 \
      start-with "$probe" - "0 19 0" wait-box expect-box-default Yes close-box wait-exit 0
    ;;
  progress_bar_cells)
    setup_with INSTALL.FIL
    steps=(start "$(exe)" - wait-dialog "VOK Install V3.062" expect-bar 308 0)
    # position => solid cells
    for pair in 0:0 4:0 5:1 99:19 100:20 250:20 7:1; do
      steps+=(send 308 1026 "${pair%%:*}" 0 expect-bar 308 "${pair##*:}")
    done
    drive "${steps[@]}" click 2 wait-exit 0
    ;;
  screenshots)
    # The dialog in each language, as PNG files in the build tree.
    shots="$build/screenshots"
    mkdir -p "$shots"
    no_profile_entry
    display="${DISPLAY:-}"
    if ! { [ -n "$display" ] && DISPLAY="$display" xdpyinfo >/dev/null 2>&1; }; then
      display="$(cat "$build/wine-state/display")"
    fi
    for entry in "INSTALL.FIL:VOK Install V3.062:english" "INSTALLD.FIL:VOK Installation V3.062:german" \
      "INSTALLF.FIL:Installation de VOK V3.062:french"; do
      IFS=: read -r archive caption language <<<"$entry"
      rm -rf "$work/setup" && mkdir -p "$work/setup"
      setup_with "$archive"
      rm -f "$work/ready" "$work/done"
      (
        for _ in $(seq 1 300); do [ -e "$work/ready" ] && break; sleep 0.05; done
        import -window root -display "$display" "$work/root.png" >/dev/null 2>&1 &&
          convert "$work/root.png" -trim +repage "$shots/dialog-$language.png"
        : >"$work/done"
      ) &
      drive start "$(exe)" - wait-dialog "$caption" send 308 1026 35 0 expect-bar 308 7 \
        pause "$(winpath "$work/ready")" "$(winpath "$work/done")" click 2 wait-exit 0
      wait
      [ -s "$shots/dialog-$language.png" ] || { echo "no screenshot for $language"; exit 1; }
      echo "screenshot: $shots/dialog-$language.png"
    done
    ;;
  *)
    echo "unknown case $case_name"
    exit 2
    ;;
esac
