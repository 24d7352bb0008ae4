// The message catalogue: every text in every language, byte for byte after
// conversion from its stored code page 850, trailing blanks and "\r"
// included.
#include <gtest/gtest.h>

#include <string>

#include "installer/message_catalogue.h"
#include "platform/cp850.h"

namespace {

struct Expected {
  MessageId id;
  const char* text[language_count];  // UTF-8: English, German, French
};

// clang-format off
const Expected expected_texts[] = {
    {MSG_STATUS_DONE,
     {"Installation complete",
      "Installation abgeschlossen",
      "Installation terminée"}},
    {MSG_ABORTED,
     {"Installation aborted - VOK wasn't installed successfully!",
      "Installation abgebrochen - VOK konnte nicht vollständig installiert werden!",
      "Installation abandonnée - l'installation de VOK n'a pas réussi!"}},
    {MSG_INSTALL_ERROR,
     {"An error occurred during install - installation aborted!",
      "Während der Installation ist ein Fehler aufgetreten - die Installation wird abgebrochen!",
      "Une erreur s'est produite lors de l'installation - installation abandonnée!"}},
    {MSG_NO_ARCHIVE,
     {"Sorry, no files to install!",
      "Sorry, no files to install!",
      "Sorry, no files to install!"}},
    {MSG_NEEDS_NT4,
     {"Sorry, this program requires Windows NT 4.00 or higher - installation aborted!",
      "Dieses Programm benötigt mindestens Windows NT 4.00 - Installation wird abgebrochen!",
      "Désolé, ce programme exige Windows NT 4.00 ou une version ultérieure - installation abandonnée!"}},
    {MSG_ALL_DONE,
     {"All files processed - installation complete (VOK was added to your start menu)",
      "Installation erfolgreich beendet (VOK-Eintrag wurde im Startmenü erzeugt)",
      "Tous les fichiers ont été traités - installation terminée (VOK a été ajouté au menu démarrage)"}},
    {MSG_EMPTY_DESTINATION,
     {"Destination path is empty",
      "Der Ziel-Pfad ist leer",
      "Le chemin destination est vide"}},
    {MSG_EMPTY_LOG_PATH,
     {"Logfile path is empty",
      "Der Logdatei-Pfad ist leer",
      "Le chemin de fichier journal est vide"}},
    {MSG_EMPTY_OPTIONS_PATH,
     {"Option path is empty",
      "Der Optionen-Pfad ist leer",
      "Le chemin d'options est vide"}},
    {MSG_EMPTY_SCRIPT_PATH,
     {"Script path is empty",
      "Der Script-Pfad ist leer",
      "Le chemin de script est vide"}},
    {MSG_EMPTY_UPLOAD_PATH,
     {"Upload path is empty",
      "Der Upload-Pfad ist leer",
      "Le chemin d'envoi de fichiers est vide"}},
    {MSG_EMPTY_DOWNLOAD_PATH,
     {"Download path is empty",
      "Der Download-Pfad ist leer",
      "Le chemin de réception de fichiers est vide"}},
    {TITLE_INFORMATION,
     {"Information",
      "Information",
      "Information"}},
    {TITLE_ERROR,
     {"Error",
      "Fehler",
      "Erreur"}},
    {MSG_BETA_UPGRADE,
     {"You are about to upgrade from a beta-version.  This is *NOT* recommended.\r\rDo you REALLY want to proceed?",
      "Es ist *NICHT* empfehlenswert, Daten aus einer bestehenden Beta-Version zu übernehmen.\r\rWollen Sie WIRKLICH fortfahren?",
      "Vous allez faire une mise à jour avec une version bêta. Ceci est *DECONSEILLE*.\r\rVoulez-vous VRAIMENT continuer? "}},
    {MSG_BETA_OVERWRITE,
     {"You are about to overwrite an existing version with a beta.  This is *NOT* recommended.\r\rDo you REALLY want to proceed?",
      "Es ist *NICHT* empfehlenswert, eine Beta-Version über eine bestehende Version zu installieren.\r\rWollen Sie WIRKLICH fortfahren?",
      "Vous allez écraser une version existante avec une version bêta. Ceci est *DECONSEILLE*.\r\rVoulez-vous VRAIMENT continuer?"}},
    {MSG_OVERWRITE_FILE,
     {"Overwrite %s with VOK's installation defaults?",
      "Datei %s mit Standardeinstellungen überschreiben?",
      "Ecraser %s avec les paramètres d'installation par défaut de VOK?"}},
    {MSG_OVERWRITE_OPTIONS,
     {"Overwrite existing option files with VOK's installation defaults (all VOK settings will be lost)?",
      "Bestehende Options-Dateien mit Standardeinstellungen überschreiben (alle bisherigen VOK-Einstellungen werden gelöscht)?",
      "Ecraser les fichiers d'options existants avec les options d'installation par défaut de VOK?"}},
    {MSG_BACKUPS_MADE,
     {"All intentionally overwritten files were backed up in the same directory!",
      "Von allen absichtlich überschriebenen Dateien wurden Sicherheitskopien im entsprechenden Verzeichnis angelegt",
      "Tous les fichiers écrasés intentionnellement ont été sauvegardés dans le même répertoire!"}},
    {MSG_READ_DOCS,
     {"Do you want to read VOK's DOC-files (TROUBLE.DOC, FIRST.DOC, etc.) now?",
      "Informationsdateien (TROUBLE.DOC, FIRST.DOC, etc.) jetzt anzeigen?",
      "Voulez-vous lire maintenant les fichiers DOC de VOK (TROUBLE.DOC, FIRST.DOC, etc.)?"}},
    {MSG_STATUS_CLEANUP,
     {"Searching and deleting old files",
      "Suchen und Löschen nicht mehr benötigter Dateien",
      "Recherche et suppression des anciens fichiers"}},
    {MSG_STATUS_PATHS,
     {"Updating path information",
      "Aktualisieren der Pfadinformationen",
      "Mise à jour des informations de chemin"}},
    {MSG_STATUS_FOLDER,
     {"Creating VOK folder",
      "VOK-Ordner wird erstellt",
      "Création du dossier VOK"}},
    {TEXT_ORDER_FROM,
     {"Order from ",
      "Bestellen bei ",
      "Commande de la part de "}},
    {TEXT_FOLDER_NAME,
     {"VOK for Windows%s",
      "VOK für Windows%s",
      "VOK sous Windows%s"}},
};
// clang-format on

const char* const language_names[language_count] = {"English", "German", "French"};

TEST(MessageCatalogue, EveryTextMatchesInEveryLanguage) {
  ASSERT_EQ(std::size(expected_texts), static_cast<std::size_t>(message_count));
  for (std::size_t row = 0; row < std::size(expected_texts); ++row) {
    const Expected& e = expected_texts[row];
    ASSERT_EQ(static_cast<std::size_t>(e.id), row) << "entries out of order";
    for (int language = 0; language < language_count; ++language) {
      const char* stored = message_table[e.id].text[language];
      ASSERT_NE(stored, nullptr);
      EXPECT_EQ(cp850_to_utf8(stored), e.text[language])
          << "entry " << row << ", " << language_names[language];
    }
  }
}

TEST(MessageCatalogue, NoArchiveMessageIsEnglishEverywhere) {
  for (int language = 0; language < language_count; ++language) {
    EXPECT_STREQ(message_table[MSG_NO_ARCHIVE].text[language], "Sorry, no files to install!");
  }
}

TEST(CodePage850, RoundTripsEveryByte) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(utf16_to_cp850(cp850_to_utf16(all)), all);
  EXPECT_EQ(utf16_to_cp850(u"\u20ac"), "?");  // the euro sign has no byte in 850
}

}  // namespace
