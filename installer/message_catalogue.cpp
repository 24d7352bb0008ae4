// The message catalogue: 25 entries, English, German, French, in code page
// 850 (octal escapes for the bytes above 127; \r is a line break in a
// message box). Blanks at the end of a text belong to it.
#include "installer/message_catalogue.h"

#include "installer/setup_state.h"

// clang-format off
const std::array<CatalogueEntry, message_count> message_table = {{
    /* MSG_STATUS_DONE */ {{"Installation complete",
                            "Installation abgeschlossen",
                            "Installation termin\202e"}},
    /* MSG_ABORTED */ {{"Installation aborted - VOK wasn't installed successfully!",
                        "Installation abgebrochen - VOK konnte nicht vollst\204ndig installiert werden!",
                        "Installation abandonn\202e - l'installation de VOK n'a pas r\202ussi!"}},
    /* MSG_INSTALL_ERROR */ {{"An error occurred during install - installation aborted!",
                              "W\204hrend der Installation ist ein Fehler aufgetreten - die Installation wird abgebrochen!",
                              "Une erreur s'est produite lors de l'installation - installation abandonn\202e!"}},
    /* MSG_NO_ARCHIVE */ {{"Sorry, no files to install!",
                           "Sorry, no files to install!",
                           "Sorry, no files to install!"}},
    /* MSG_NEEDS_NT4 */ {{"Sorry, this program requires Windows NT 4.00 or higher - installation aborted!",
                          "Dieses Programm ben\224tigt mindestens Windows NT 4.00 - Installation wird abgebrochen!",
                          "D\202sol\202, ce programme exige Windows NT 4.00 ou une version ult\202rieure - installation abandonn\202e!"}},
    /* MSG_ALL_DONE */ {{"All files processed - installation complete (VOK was added to your start menu)",
                         "Installation erfolgreich beendet (VOK-Eintrag wurde im Startmen\201 erzeugt)",
                         "Tous les fichiers ont \202t\202 trait\202s - installation termin\202e (VOK a \202t\202 ajout\202 au menu d\202marrage)"}},
    /* MSG_EMPTY_DESTINATION */ {{"Destination path is empty",
                                  "Der Ziel-Pfad ist leer",
                                  "Le chemin destination est vide"}},
    /* MSG_EMPTY_LOG_PATH */ {{"Logfile path is empty",
                               "Der Logdatei-Pfad ist leer",
                               "Le chemin de fichier journal est vide"}},
    /* MSG_EMPTY_OPTIONS_PATH */ {{"Option path is empty",
                                   "Der Optionen-Pfad ist leer",
                                   "Le chemin d'options est vide"}},
    /* MSG_EMPTY_SCRIPT_PATH */ {{"Script path is empty",
                                  "Der Script-Pfad ist leer",
                                  "Le chemin de script est vide"}},
    /* MSG_EMPTY_UPLOAD_PATH */ {{"Upload path is empty",
                                  "Der Upload-Pfad ist leer",
                                  "Le chemin d'envoi de fichiers est vide"}},
    /* MSG_EMPTY_DOWNLOAD_PATH */ {{"Download path is empty",
                                    "Der Download-Pfad ist leer",
                                    "Le chemin de r\202ception de fichiers est vide"}},
    /* TITLE_INFORMATION */ {{"Information",
                              "Information",
                              "Information"}},
    /* TITLE_ERROR */ {{"Error",
                        "Fehler",
                        "Erreur"}},
    /* MSG_BETA_UPGRADE */ {{"You are about to upgrade from a beta-version.  This is *NOT* recommended.\r\rDo you REALLY want to proceed?",
                             "Es ist *NICHT* empfehlenswert, Daten aus einer bestehenden Beta-Version zu \201bernehmen.\r\rWollen Sie WIRKLICH fortfahren?",
                             "Vous allez faire une mise \205 jour avec une version b\210ta. Ceci est *DECONSEILLE*.\r\rVoulez-vous VRAIMENT continuer? "}},
    /* MSG_BETA_OVERWRITE */ {{"You are about to overwrite an existing version with a beta.  This is *NOT* recommended.\r\rDo you REALLY want to proceed?",
                               "Es ist *NICHT* empfehlenswert, eine Beta-Version \201ber eine bestehende Version zu installieren.\r\rWollen Sie WIRKLICH fortfahren?",
                               "Vous allez \202craser une version existante avec une version b\210ta. Ceci est *DECONSEILLE*.\r\rVoulez-vous VRAIMENT continuer?"}},
    /* MSG_OVERWRITE_FILE */ {{"Overwrite %s with VOK's installation defaults?",
                               "Datei %s mit Standardeinstellungen \201berschreiben?",
                               "Ecraser %s avec les param\212tres d'installation par d\202faut de VOK?"}},
    /* MSG_OVERWRITE_OPTIONS */ {{"Overwrite existing option files with VOK's installation defaults (all VOK settings will be lost)?",
                                  "Bestehende Options-Dateien mit Standardeinstellungen \201berschreiben (alle bisherigen VOK-Einstellungen werden gel\224scht)?",
                                  "Ecraser les fichiers d'options existants avec les options d'installation par d\202faut de VOK?"}},
    /* MSG_BACKUPS_MADE */ {{"All intentionally overwritten files were backed up in the same directory!",
                             "Von allen absichtlich \201berschriebenen Dateien wurden Sicherheitskopien im entsprechenden Verzeichnis angelegt",
                             "Tous les fichiers \202cras\202s intentionnellement ont \202t\202 sauvegard\202s dans le m\210me r\202pertoire!"}},
    /* MSG_READ_DOCS */ {{"Do you want to read VOK's DOC-files (TROUBLE.DOC, FIRST.DOC, etc.) now?",
                          "Informationsdateien (TROUBLE.DOC, FIRST.DOC, etc.) jetzt anzeigen?",
                          "Voulez-vous lire maintenant les fichiers DOC de VOK (TROUBLE.DOC, FIRST.DOC, etc.)?"}},
    /* MSG_STATUS_CLEANUP */ {{"Searching and deleting old files",
                               "Suchen und L\224schen nicht mehr ben\224tigter Dateien",
                               "Recherche et suppression des anciens fichiers"}},
    /* MSG_STATUS_PATHS */ {{"Updating path information",
                             "Aktualisieren der Pfadinformationen",
                             "Mise \205 jour des informations de chemin"}},
    /* MSG_STATUS_FOLDER */ {{"Creating VOK folder",
                              "VOK-Ordner wird erstellt",
                              "Cr\202ation du dossier VOK"}},
    /* TEXT_ORDER_FROM */ {{"Order from ",
                            "Bestellen bei ",
                            "Commande de la part de "}},
    /* TEXT_FOLDER_NAME */ {{"VOK for Windows%s",
                             "VOK f\201r Windows%s",
                             "VOK sous Windows%s"}},
}};
// clang-format on

const char* message_text(MessageId id) {
  return message_table[id].text[Language];
}

void show_info(const char* text) {
  os_MessageBox(main_dialog, message_text(TITLE_INFORMATION), text, OS_MB_INFORMATION);
}

void show_error(const char* text) {
  os_MessageBox(main_dialog, message_text(TITLE_ERROR), text, OS_MB_ERROR);
}

int ask_yes_no(OsWindow owner, const char* title, const char* text, unsigned style) {
  return os_MessageBox(owner, title, text, style + OS_MB_YESNO) == OS_MBID_YES ? 1 : 0;
}
