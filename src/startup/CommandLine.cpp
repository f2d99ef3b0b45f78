#include "CommandLine.h"

#include <QSettings>
#include <cstdio>
#include <cstring>

namespace {

const char kUsage[] =
    "Aufruf: vantora [--archive VERBINDUNG | --help | --version]\n"
    "        vantorahd [--archive VERBINDUNG | --help | --version]\n"
    "\n"
    "Vantora zeigt das Archiv des Magazins: Spieletests, Inhalte der Cover-CDs und -DVDs,\n"
    "Tipps und Cheats.\n"
    "\n"
    "Der Modus folgt aus dem Namen der Programmdatei (ein symbolischer Link zählt mit dem\n"
    "Namen seines Ziels):\n"
    "  vantora     CD/DVD-Modus: öffnet die Tabellen im Ordner DATA/ unter dem aktuellen\n"
    "              Verzeichnis.\n"
    "  vantorahd   Festplatten-Modus (jeder Name auf \"hd\" oder \"HD.EXE\"): kopiert die\n"
    "              Tabellen bei jedem Start aus DATA/ unter dem aktuellen Verzeichnis in den\n"
    "              Festplatten-Ordner und öffnet sie dort.\n"
    "Der Ordner DATA/ mit GameData.DB, CDData.DB und TipsData.DB muss also in dem Verzeichnis\n"
    "liegen, aus dem das Programm gestartet wird. Der Menüeintrag startet es auf dem\n"
    "Beispielarchiv des Pakets.\n"
    "\n"
    "  --archive VERBINDUNG\n"
    "              öffnet die Tabellen auf einem PostgreSQL-Server statt in DATA/; die\n"
    "              Verbindung ist eine libpq-Zeichenkette (\"service=vantora\",\n"
    "              \"host=... dbname=...\") oder eine postgresql://-Adresse. Das Kennwort\n"
    "              gehört in ~/.pgpass oder die Dienstdatei, nie auf die Befehlszeile. Ohne\n"
    "              den Schalter gilt der Eintrag archive in ~/.config/Kalmor/Vantora.ini.\n"
    "              Im Festplatten-Modus gibt es dann nichts zu kopieren.\n"
    "\n"
    "Dateien:\n"
    "  ~/.config/Kalmor/Vantora-Engine.ini, /etc/xdg/Kalmor/Vantora-Engine.ini\n"
    "              die installierte Engine-Version (Engine-Version), geschrieben von\n"
    "              VTEngine/Setup; der Eintrag des Benutzers gilt vor dem des Systems\n"
    "  ~/.local/share/KALMOR/VANTORA/DATA\n"
    "              der Festplatten-Ordner mit den Kopien der Tabellen\n"
    "  $XDG_RUNTIME_DIR/<Programmname>.lock und .instance\n"
    "              Sperre und Socket, die nur eine Kopie je Programmdatei laufen lassen\n"
    "\n"
    "Tasten:\n"
    "  Strg+1, Strg+2, Strg+3   Spiele, CD & DVD, Tipps\n"
    "  Strg+F                   Schnellsuche (das Titelfeld)\n"
    "  F3                       Auswahl\n"
    "  F4                       Statistik\n"
    "  F1                       Info\n"
    "  Strg+Q                   Ende\n"
    "  Tab                      zwischen Tabelle und Schnellsuche (außer im EDIT-Modus)\n"
    "  Eingabe, Leertaste       drückt die Schaltfläche mit dem Fokus\n"
    "  In der Auswahl:          Eingabe oder Esc für OK, Alt+A für Alle\n"
    "  In Statistik und Info:   Esc für Ok\n"
    "\n"
    "  -h, --help      diese Hilfe\n"
    "  -v, --version   die Version\n";

const char kVersion[] = "Vantora " VANTORA_VERSION "\n";

} // namespace

const char* usageText() {
    return kUsage;
}

const char* versionText() {
    return kVersion;
}

QString archiveArgument(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--archive") == 0 && i + 1 < argc)
            return QString::fromLocal8Bit(argv[i + 1]);
        if (std::strncmp(argv[i], "--archive=", 10) == 0)
            return QString::fromLocal8Bit(argv[i] + 10);
    }
    const QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Kalmor"),
                             QStringLiteral("Vantora"));
    return settings.value(QStringLiteral("archive")).toString().trimmed();
}

std::optional<int> answerInformationSwitch(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const char* text = nullptr;
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0)
            text = kUsage;
        else if (std::strcmp(arg, "--version") == 0 || std::strcmp(arg, "-v") == 0)
            text = kVersion;
        if (text) {
            std::fputs(text, stdout);
            return std::fflush(stdout) == 0 ? 0 : 1;
        }
    }
    return std::nullopt;
}
