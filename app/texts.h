/*
 * Every text the user sees, byte-exact in Windows-1252. Escaped bytes carry the readable text
 * beside them. Nothing else in the program spells out a user-visible text.
 */
#pragma once

namespace texts {

inline constexpr char WINDOW_TITLE[] = "Vorlax Checksumme 1.0";
inline constexpr char INPUT_LABEL[] = "Intel Hex Line ohne Checksum (z.B. :00000001FF):";
inline constexpr char INPUT_START[] = ":";
inline constexpr char INPUT_TIP[] = "Zu verschl\xFCsselnder Key"; // Zu verschlüsselnder Key
inline constexpr char PASTE_BUTTON[] =
    "Von Zwischenablage einf\xFCgen"; // Von Zwischenablage einfügen
inline constexpr char PASTE_TIP[] = "Von Zwischenablage einf\xFCgen"; // Von Zwischenablage einfügen
inline constexpr char FILE_BUTTON[] = "Datei";
inline constexpr char FILE_TIP[] = "Datei";
inline constexpr char OUTPUT_LABEL[] = "Output-Line:";
inline constexpr char OUTPUT_TIP[] = "Verschl\xFCsselter Key"; // Verschlüsselter Key
inline constexpr char COMPUTE_BUTTON[] = "Checksum berechnen";
inline constexpr char COMPUTE_TIP[] = "Checksumme berechnen";
inline constexpr char COPY_BUTTON[] = "In Zwischenablage speichern";
inline constexpr char COPY_TIP[] = "Ergebnis in Zwischenablage speichern";
inline constexpr char QUIT_BUTTON[] = "Beenden";
inline constexpr char QUIT_TIP[] = "Programm beenden";

inline constexpr char ERROR_TITLE[] = "Fehler!";
inline constexpr char START_FAILED[] =
    "Das Programm konnte nicht gestartet werden. "; // ends in a blank
inline constexpr char NO_INPUT[] = "Vorher Input-Key eingeben !";
inline constexpr char NO_OUTPUT[] = "Kein Output-Key zum Speichern vorhanden !";

inline constexpr char CHOOSE_FILE_TITLE[] = "Datei ausw\xE4hlen..."; // Datei auswählen...
inline constexpr char FILE_FILTER[] = "Vorlax (.eep)|*.eep|Vorlax (*.hex)|*.hex";
inline constexpr char PATCHED[] = "File pachted successfully!";
inline constexpr char PATCH_ERROR_TITLE[] = "Error";
inline constexpr char NO_VALID_FILE[] = "No valid file was selected.";

} // namespace texts
