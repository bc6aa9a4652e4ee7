<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>Menu</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Open...</source>
        <translation>Ö&amp;ffnen...</translation>
    </message>
    <message>
        <source>&amp;Print...</source>
        <translation>&amp;Drucken...</translation>
    </message>
    <message>
        <source>&amp;Export report...</source>
        <translation>&amp;Bericht exportieren...</translation>
    </message>
    <message>
        <source>&amp;History...</source>
        <translation>&amp;Verlauf...</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Schließen</translation>
    </message>
    <message>
        <source>&amp;Recent files</source>
        <translation>&amp;Zuletzt geöffnet</translation>
    </message>
    <message>
        <source>(none)</source>
        <translation>(keine)</translation>
    </message>
    <message>
        <source>&amp;KDM_Data</source>
        <translation>&amp;KDM_Data</translation>
    </message>
    <message>
        <source>&amp;Read Dorvik device...</source>
        <translation>Dorvik-Gerät &amp;lesen...</translation>
    </message>
    <message>
        <source>&amp;Write Dorvik device...</source>
        <translation>Dorvik-Gerät &amp;schreiben...</translation>
    </message>
    <message>
        <source>&amp;Back up the device before writing</source>
        <translation>Gerät vor dem Schreiben s&amp;ichern</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;Connection/Kabel</source>
        <translation>&amp;Verbindung/Kabel</translation>
    </message>
    <message>
        <source>&amp;Info</source>
        <translation>&amp;Info</translation>
    </message>
    <message>
        <source>&amp;Help (english)</source>
        <translation>&amp;Help (english)</translation>
    </message>
    <message>
        <source>Hi&amp;lfe (deutsch)</source>
        <translation>Hi&amp;lfe (deutsch)</translation>
    </message>
    <message>
        <source>&amp;FAQ (english)</source>
        <translation>&amp;FAQ (english)</translation>
    </message>
    <message>
        <source>FA&amp;Q (deutsch)</source>
        <translation>FA&amp;Q (deutsch)</translation>
    </message>
    <message>
        <source>&amp;Port Auswahl</source>
        <translation>&amp;Port Auswahl</translation>
    </message>
    <message>
        <source>&amp;Port Auswahl...</source>
        <translation>&amp;Port Auswahl...</translation>
    </message>
</context>
<context>
    <name>Start</name>
    <message>
        <source>
  KDM XP 
  Data store / restore for  Q4400-devices</source>
        <translation>
  KDM XP 
  Daten sichern / zurückschreiben für  Q4400-Geräte</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>%1 is no longer there: it was taken off the recent files.</source>
        <translation>%1 ist nicht mehr vorhanden: die Datei wurde aus der Liste der zuletzt geöffneten Dateien genommen.</translation>
    </message>
</context>
<context>
    <name>Ports</name>
    <message>
        <source>Port Auswahl</source>
        <translation>Port Auswahl</translation>
    </message>
    <message>
        <source>&amp;Map a device...</source>
        <translation>Gerät &amp;zuordnen...</translation>
    </message>
    <message>
        <source>Map a Device</source>
        <translation>Gerät zuordnen</translation>
    </message>
    <message>
        <source>no device is assigned to this port</source>
        <translation>diesem Port ist kein Gerät zugeordnet</translation>
    </message>
    <message>
        <source>the device does not exist</source>
        <translation>das Gerät existiert nicht</translation>
    </message>
    <message>
        <source>not a serial device</source>
        <translation>kein serielles Gerät</translation>
    </message>
    <message>
        <source>in use by another program</source>
        <translation>von einem anderen Programm belegt</translation>
    </message>
    <message>
        <source>no permission</source>
        <translation>keine Berechtigung</translation>
    </message>
    <message>
        <source>no permission (members of group &quot;%1&quot; may use it)</source>
        <translation>keine Berechtigung (Mitglieder der Gruppe &quot;%1&quot; dürfen es benutzen)</translation>
    </message>
    <message>
        <source>cannot be opened</source>
        <translation>kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>no device</source>
        <translation>kein Gerät</translation>
    </message>
    <message>
        <source>(no device)</source>
        <translation>(kein Gerät)</translation>
    </message>
    <message>
        <source> (mapped)</source>
        <translation> (zugeordnet)</translation>
    </message>
    <message>
        <source>&amp;Port:</source>
        <translation>&amp;Port:</translation>
    </message>
    <message>
        <source>&amp;Device:</source>
        <translation>&amp;Gerät:</translation>
    </message>
    <message>
        <source>Choose a detected device or type the whole path of any device. An empty device gives the port back to its default.</source>
        <translation>Wählen Sie ein erkanntes Gerät oder geben Sie den vollständigen Pfad eines beliebigen Geräts ein. Ohne Gerät erhält der Port wieder seine Voreinstellung.</translation>
    </message>
    <message>
        <source>Warning: </source>
        <translation>Warnung: </translation>
    </message>
    <message>
        <source>COM%1 goes back to its default.</source>
        <translation>COM%1 erhält wieder seine Voreinstellung.</translation>
    </message>
    <message>
        <source>A device that was not detected.</source>
        <translation>Ein Gerät, das nicht erkannt wurde.</translation>
    </message>
    <message>
        <source> (now COM%1)</source>
        <translation> (jetzt COM%1)</translation>
    </message>
</context>
<context>
    <name>Transfer</name>
    <message>
        <source>Write data to Dorvik-device</source>
        <translation>Daten in das Dorvik-Gerät schreiben</translation>
    </message>
    <message>
        <source>Read data from Dorvik-device</source>
        <translation>Daten aus dem Dorvik-Gerät lesen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Data transfer active</source>
        <translation>Datenübertragung aktiv</translation>
    </message>
    <message>
        <source>Data to transfer:</source>
        <translation>Zu übertragende Daten:</translation>
    </message>
    <message>
        <source>Actual program no.:</source>
        <translation>Aktuelle Programm-Nr.:</translation>
    </message>
    <message>
        <source>Backing up the device...</source>
        <translation>Sichere das Gerät...</translation>
    </message>
    <message>
        <source>Elapsed %1</source>
        <translation>Vergangen %1</translation>
    </message>
    <message>
        <source>, about %1 left</source>
        <translation>, noch etwa %1</translation>
    </message>
    <message>
        <source> (1 telegram with checksum mismatch)</source>
        <translation> (1 Telegramm mit falscher Prüfsumme)</translation>
    </message>
    <message>
        <source> (%1 telegrams with checksum mismatch)</source>
        <translation> (%1 Telegramme mit falscher Prüfsumme)</translation>
    </message>
    <message>
        <source>The data file was saved</source>
        <translation>Die Datendatei wurde gespeichert</translation>
    </message>
    <message>
        <source>The file was written</source>
        <translation>Die Datei wurde geschrieben</translation>
    </message>
    <message>
        <source>Part of the file was written</source>
        <translation>Ein Teil der Datei wurde geschrieben</translation>
    </message>
    <message>
        <source>The device now holds an incomplete parameter set (%1 of %2 frames): write the file again or restore a backup.</source>
        <translation>Das Gerät enthält jetzt einen unvollständigen Parametersatz (%1 von %2 Telegrammen): schreiben Sie die Datei erneut oder spielen Sie eine Sicherung zurück.</translation>
    </message>
    <message>
        <source>The write was stopped.</source>
        <translation>Das Schreiben wurde abgebrochen.</translation>
    </message>
    <message>
        <source>, but the device history could not keep a copy.</source>
        <translation>, aber der Geräteverlauf konnte keine Kopie aufbewahren.</translation>
    </message>
    <message>
        <source>The backup before writing failed: nothing was written into the device.</source>
        <translation>Die Sicherung vor dem Schreiben ist fehlgeschlagen: in das Gerät wurde nichts geschrieben.</translation>
    </message>
    <message>
        <source>Write these values into the device all the same?</source>
        <translation>Diese Werte trotzdem in das Gerät schreiben?</translation>
    </message>
    <message>
        <source>Reading parameter:</source>
        <translation>Lese Parameter:</translation>
    </message>
    <message>
        <source>Parameter no:</source>
        <translation>Parameter-Nr.:</translation>
    </message>
    <message>
        <source>Program no.</source>
        <translation>Programm-Nr.</translation>
    </message>
    <message>
        <source>&amp;Verify after writing</source>
        <translation>&amp;Nach dem Schreiben prüfen</translation>
    </message>
    <message>
        <source>Reading the device back to verify...</source>
        <translation>Gerät wird zur Prüfung zurückgelesen...</translation>
    </message>
    <message numerus="yes">
        <source>Write %1 (type %2, %n programs) into the device on %3?</source>
        <translation>
            <numerusform>%1 (Typ %2, %n Programm) in das Gerät an %3 schreiben?</numerusform>
            <numerusform>%1 (Typ %2, %n Programme) in das Gerät an %3 schreiben?</numerusform>
        </translation>
    </message>
    <message>
        <source>The write was not verified: no temporary directory for the read-back.</source>
        <translation>Das Schreiben wurde nicht geprüft: kein temporäres Verzeichnis für das Zurücklesen.</translation>
    </message>
    <message>
        <source>The file was written, but the device could not be read back: the write is not verified.</source>
        <translation>Die Datei wurde geschrieben, aber das Gerät konnte nicht zurückgelesen werden: das Schreiben ist nicht geprüft.</translation>
    </message>
    <message numerus="yes">
        <source>Verified: all %n parameters in the device match the file.</source>
        <translation>
            <numerusform>Geprüft: der %n Parameter im Gerät stimmt mit der Datei überein.</numerusform>
            <numerusform>Geprüft: alle %n Parameter im Gerät stimmen mit der Datei überein.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Verify: %1 of %n parameters in the device differ from the file.</source>
        <translation>
            <numerusform>Prüfung: %1 von %n Parameter im Gerät weicht von der Datei ab.</numerusform>
            <numerusform>Prüfung: %1 von %n Parametern im Gerät weichen von der Datei ab.</numerusform>
        </translation>
    </message>
    <message>
        <source>No temporary directory for the backup: </source>
        <translation>Kein temporäres Verzeichnis für die Sicherung: </translation>
    </message>
    <message>
        <source>The backup cannot be read back: </source>
        <translation>Die Sicherung kann nicht zurückgelesen werden: </translation>
    </message>
    <message>
        <source>The device history could not keep the backup: </source>
        <translation>Der Geräteverlauf konnte die Sicherung nicht aufbewahren: </translation>
    </message>
    <message>
        <source>&amp;Machine:</source>
        <translation>&amp;Maschine:</translation>
    </message>
    <message>
        <source>optional, e.g. Press 7</source>
        <translation>optional, z. B. Presse 7</translation>
    </message>
    <message>
        <source>The machine&apos;s name in the device history: it tells apart devices that identify themselves alike</source>
        <translation>Der Name der Maschine im Geräteverlauf: er unterscheidet Geräte, die sich gleich melden</translation>
    </message>
    <message>
        <source>Use &quot;%1&quot;</source>
        <translation>&quot;%1&quot; verwenden</translation>
    </message>
    <message>
        <source>The machine last read or written on %1</source>
        <translation>Die zuletzt an %1 gelesene oder beschriebene Maschine</translation>
    </message>
</context>
<context>
    <name>History</name>
    <message>
        <source>Device history</source>
        <translation>Geräteverlauf</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>Ö&amp;ffnen</translation>
    </message>
    <message>
        <source>Compare with &amp;previous</source>
        <translation>Mit &amp;vorigem vergleichen</translation>
    </message>
    <message>
        <source>&amp;Synchronise</source>
        <translation>&amp;Synchronisieren</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>, verify </source>
        <translation>, Prüfung </translation>
    </message>
    <message>
        <source>, incomplete: %1 of %2 frames</source>
        <translation>, unvollständig: %1 von %2 Telegrammen</translation>
    </message>
    <message>
        <source>Asking the remote what it holds...</source>
        <translation>Frage die Gegenstelle nach ihrem Stand...</translation>
    </message>
    <message>
        <source>Taking in the entries of other laptops...</source>
        <translation>Übernehme die Einträge anderer Laptops...</translation>
    </message>
    <message>
        <source>Sending this laptop&apos;s entries...</source>
        <translation>Sende die Einträge dieses Laptops...</translation>
    </message>
    <message>
        <source>1 entry</source>
        <translation>1 Eintrag</translation>
    </message>
    <message>
        <source>%1 entries</source>
        <translation>%1 Einträge</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>Art</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>Gerät</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Typ</translation>
    </message>
    <message>
        <source>Host</source>
        <translation>Rechner</translation>
    </message>
    <message>
        <source>User</source>
        <translation>Benutzer</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>Entry</source>
        <translation>Eintrag</translation>
    </message>
    <message>
        <source>Shared remote: unknown (%1)</source>
        <translation>Gemeinsame Gegenstelle: unbekannt (%1)</translation>
    </message>
    <message>
        <source>Shared through: </source>
        <translation>Geteilt über: </translation>
    </message>
    <message>
        <source>Kept in </source>
        <translation>Abgelegt in </translation>
    </message>
    <message>
        <source>The history cannot be listed: </source>
        <translation>Der Verlauf kann nicht aufgelistet werden: </translation>
    </message>
    <message>
        <source>No entries yet: every read, every backup before a write and every write adds one.</source>
        <translation>Noch keine Einträge: jedes Lesen, jede Sicherung vor dem Schreiben und jedes Schreiben fügt einen hinzu.</translation>
    </message>
    <message>
        <source>Entry %1 cannot be read: %2</source>
        <translation>Eintrag %1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>No temporary directory for the entry&apos;s data: </source>
        <translation>Kein temporäres Verzeichnis für die Daten des Eintrags: </translation>
    </message>
    <message>
        <source>Entry %1 cannot be shown: %2</source>
        <translation>Eintrag %1 kann nicht angezeigt werden: %2</translation>
    </message>
    <message>
        <source>entry %1 (%2, %3)</source>
        <translation>Eintrag %1 (%2, %3)</translation>
    </message>
    <message>
        <source>Entry %1 is the first of device %2: there is nothing before it to compare it with.</source>
        <translation>Eintrag %1 ist der erste von Gerät %2: es gibt keinen früheren, mit dem er verglichen werden kann.</translation>
    </message>
    <message>
        <source>Synchronising...</source>
        <translation>Synchronisiere...</translation>
    </message>
    <message>
        <source>Synchronised with %1: %2 received, %3 sent. %4 in the history.</source>
        <translation>Mit %1 synchronisiert: %2 empfangen, %3 gesendet. %4 im Verlauf.</translation>
    </message>
    <message>
        <source>Not synchronised: </source>
        <translation>Nicht synchronisiert: </translation>
    </message>
    <message>
        <source>Set &amp;remote...</source>
        <translation>&amp;Gegenstelle einstellen...</translation>
    </message>
    <message>
        <source>Filter by machine or device</source>
        <translation>Nach Maschine oder Gerät filtern</translation>
    </message>
    <message>
        <source>Time (%1)</source>
        <translation>Zeit (%1)</translation>
    </message>
    <message>
        <source>Machine</source>
        <translation>Maschine</translation>
    </message>
    <message>
        <source>Parameter s&amp;tory</source>
        <translation>Parameter&amp;geschichte</translation>
    </message>
    <message>
        <source>&amp;Name machine...</source>
        <translation>Maschine &amp;benennen...</translation>
    </message>
    <message>
        <source>Not shared: no remote is set (Set remote..., or kdmxp-cli history remote URL)</source>
        <translation>Nicht geteilt: keine Gegenstelle eingestellt (Gegenstelle einstellen... oder kdmxp-cli history remote URL)</translation>
    </message>
    <message>
        <source>Set a remote to share the history</source>
        <translation>Stellen Sie eine Gegenstelle ein, um den Verlauf zu teilen</translation>
    </message>
    <message>
        <source>%1, %2 %3 (history entry %4)</source>
        <translation>%1, %2 %3 (Verlaufseintrag %4)</translation>
    </message>
    <message>
        <source>%1 of %2 shown</source>
        <translation>%1 von %2 angezeigt</translation>
    </message>
    <message>
        <source>Name machine</source>
        <translation>Maschine benennen</translation>
    </message>
    <message>
        <source>Machine of entry %1 (device %2):</source>
        <translation>Maschine des Eintrags %1 (Gerät %2):</translation>
    </message>
    <message>
        <source>This entry &amp;only (it was given another machine&apos;s name)</source>
        <translation>&amp;Nur dieser Eintrag (er trägt den Namen einer anderen Maschine)</translation>
    </message>
    <message>
        <source>Not named: </source>
        <translation>Nicht benannt: </translation>
    </message>
    <message>
        <source>Entry %1 belongs to machine %2.</source>
        <translation>Eintrag %1 gehört zu Maschine %2.</translation>
    </message>
    <message>
        <source>Shared remote</source>
        <translation>Gemeinsame Gegenstelle</translation>
    </message>
    <message>
        <source>The remote this history syncs with (a path, file:// or ssh URL of a git repository):</source>
        <translation>Die Gegenstelle, mit der dieser Verlauf abgeglichen wird (Pfad, file:// oder ssh-URL eines git-Repositorys):</translation>
    </message>
    <message>
        <source>Remote not set: </source>
        <translation>Gegenstelle nicht eingestellt: </translation>
    </message>
    <message>
        <source>The parameter story cannot be told: </source>
        <translation>Die Parametergeschichte kann nicht gezeigt werden: </translation>
    </message>
    <message>
        <source> - parameter story of %1 entries, marked: changed in the last</source>
        <translation> - Parametergeschichte aus %1 Einträgen, markiert: im letzten geändert</translation>
    </message>
    <message>
        <source>since %1 (%2) by %3@%4, entry %5</source>
        <translation>seit %1 (%2) von %3@%4, Eintrag %5</translation>
    </message>
    <message>
        <source>; a telegram that cannot be trusted ends the run</source>
        <translation>; ein nicht vertrauenswürdiges Telegramm beendet die Reihe</translation>
    </message>
</context>
<context>
    <name>Strings</name>
    <message>
        <source>Searching for COM ...</source>
        <translation>Suche COM ...</translation>
    </message>
    <message>
        <source>Request for system parameters</source>
        <translation>Anforderung der Systemparameter</translation>
    </message>
    <message>
        <source>Request for program parameters</source>
        <translation>Anforderung der Programmparameter</translation>
    </message>
    <message>
        <source>communication terminated</source>
        <translation>Kommunikation beendet</translation>
    </message>
    <message>
        <source>Receiving system parameters</source>
        <translation>Empfange Systemparameter</translation>
    </message>
    <message>
        <source>Receiving program parameters</source>
        <translation>Empfange Programmparameter</translation>
    </message>
    <message>
        <source>Transfer system parameters</source>
        <translation>Übertrage Systemparameter</translation>
    </message>
    <message>
        <source>Transfer program parameters</source>
        <translation>Übertrage Programmparameter</translation>
    </message>
    <message>
        <source>Checking file and device type</source>
        <translation>Prüfe Datei und Gerätetyp</translation>
    </message>
    <message>
        <source>Waiting for Dorvik device</source>
        <translation>Warte auf Dorvik-Gerät</translation>
    </message>
    <message>
        <source>Download not started</source>
        <translation>Übertragung nicht gestartet</translation>
    </message>
    <message>
        <source>Parameterfile has an error</source>
        <translation>Parameterdatei ist fehlerhaft</translation>
    </message>
    <message>
        <source>RS232-cable defect</source>
        <translation>RS232-Kabel defekt</translation>
    </message>
    <message>
        <source>No Dorvik-device found</source>
        <translation>Kein Dorvik-Gerät gefunden</translation>
    </message>
    <message>
        <source>No COM-IO found</source>
        <translation>Kein COM-Anschluss gefunden</translation>
    </message>
    <message>
        <source>Unknown Error</source>
        <translation>Unbekannter Fehler</translation>
    </message>
    <message>
        <source>No device response</source>
        <translation>Keine Antwort vom Gerät</translation>
    </message>
    <message>
        <source>Actual data not stored! 
Do you realy want to break?</source>
        <translation>Aktuelle Daten nicht gespeichert!
Wirklich abbrechen?</translation>
    </message>
    <message>
        <source>Select Port</source>
        <translation>Port wählen</translation>
    </message>
    <message>
        <source>file type is not device typ</source>
        <translation>Dateityp ist nicht Gerätetyp</translation>
    </message>
    <message>
        <source>Error RS232</source>
        <translation>Fehler RS232</translation>
    </message>
    <message>
        <source>Device error no:</source>
        <translation>Gerätefehler Nr.:</translation>
    </message>
</context>
<context>
    <name>Compare</name>
    <message>
        <source>(none)</source>
        <translation>(keiner)</translation>
    </message>
    <message>
        <source>(blank)</source>
        <translation>(leer)</translation>
    </message>
    <message>
        <source> (checksum mismatch)</source>
        <translation> (Prüfsumme falsch)</translation>
    </message>
    <message>
        <source> (damaged telegram)</source>
        <translation> (Telegramm beschädigt)</translation>
    </message>
    <message>
        <source>&amp;Compare</source>
        <translation>&amp;Vergleichen</translation>
    </message>
    <message>
        <source>Compare with &amp;file...</source>
        <translation>Mit &amp;Datei vergleichen...</translation>
    </message>
    <message>
        <source>Compare with &amp;device...</source>
        <translation>Mit &amp;Gerät vergleichen...</translation>
    </message>
    <message>
        <source>Compare with file</source>
        <translation>Mit Datei vergleichen</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <source>No temporary directory for the device&apos;s data.</source>
        <translation>Kein temporäres Verzeichnis für die Daten des Geräts.</translation>
    </message>
    <message>
        <source>the device</source>
        <translation>dem Gerät</translation>
    </message>
    <message>
        <source>Device type %1 here, %2 in %3</source>
        <translation>Gerätetyp %1 hier, %2 in %3</translation>
    </message>
    <message>
        <source>System</source>
        <translation>System</translation>
    </message>
    <message>
        <source>Program %1</source>
        <translation>Programm %1</translation>
    </message>
    <message>
        <source>(no number)</source>
        <translation>(ohne Nummer)</translation>
    </message>
    <message>
        <source>%1, %2: %3 here, %4 in %5</source>
        <translation>%1, %2: %3 hier, %4 in %5</translation>
    </message>
    <message>
        <source>%1, %2: %3 here, not in %4</source>
        <translation>%1, %2: %3 hier, nicht in %4</translation>
    </message>
    <message>
        <source>%1, %2: only in %3, %4</source>
        <translation>%1, %2: nur in %3, %4</translation>
    </message>
    <message>
        <source>%1, %2: %3 here, %4 in %5 - not to be trusted</source>
        <translation>%1, %2: %3 hier, %4 in %5 - nicht verlässlich</translation>
    </message>
    <message>
        <source>In %1: %2</source>
        <translation>In %1: %2</translation>
    </message>
    <message>
        <source>Not in %1</source>
        <translation>Nicht in %1</translation>
    </message>
    <message>
        <source>No cell in this window&apos;s tables</source>
        <translation>Keine Zelle in den Tabellen dieses Fensters</translation>
    </message>
    <message>
        <source>No differences from %1.</source>
        <translation>Keine Unterschiede zu %1.</translation>
    </message>
    <message>
        <source>1 difference from %1</source>
        <translation>1 Unterschied zu %1</translation>
    </message>
    <message>
        <source>%1 differences from %2</source>
        <translation>%1 Unterschiede zu %2</translation>
    </message>
    <message>
        <source>%1 changed</source>
        <translation>%1 geändert</translation>
    </message>
    <message>
        <source>%1 only here</source>
        <translation>%1 nur hier</translation>
    </message>
    <message>
        <source>%1 only in %2</source>
        <translation>%1 nur in %2</translation>
    </message>
    <message>
        <source>%1 alike but not to be trusted</source>
        <translation>%1 gleich, aber nicht verlässlich</translation>
    </message>
    <message>
        <source>; the device type differs</source>
        <translation>; der Gerätetyp ist verschieden</translation>
    </message>
    <message>
        <source>. Marked cells show the other value in their tooltip.</source>
        <translation>. Markierte Zellen zeigen den anderen Wert in ihrem Tooltip.</translation>
    </message>
</context>
<context>
    <name>Report</name>
    <message>
        <source>Export report</source>
        <translation>Bericht exportieren</translation>
    </message>
    <message>
        <source>PDF documents (*.pdf)</source>
        <translation>PDF-Dokumente (*.pdf)</translation>
    </message>
    <message>
        <source>The report could not be exported.
%1</source>
        <translation>Der Bericht konnte nicht exportiert werden.
%1</translation>
    </message>
    <message>
        <source>checksum mismatch</source>
        <translation>Prüfsumme falsch</translation>
    </message>
    <message>
        <source>damaged telegram</source>
        <translation>Telegramm beschädigt</translation>
    </message>
    <message>
        <source>Parameter report %1</source>
        <translation>Parameterbericht %1</translation>
    </message>
    <message>
        <source>KDM XP parameter report</source>
        <translation>KDM XP Parameterbericht</translation>
    </message>
    <message>
        <source>Page %1 of %2</source>
        <translation>Seite %1 von %2</translation>
    </message>
    <message>
        <source>Q4400 sheet-detection device</source>
        <translation>Q4400-Bogenkontrollgerät</translation>
    </message>
    <message>
        <source>Parameter report</source>
        <translation>Parameterbericht</translation>
    </message>
    <message>
        <source>Device type</source>
        <translation>Gerätetyp</translation>
    </message>
    <message>
        <source>%1 (unknown device code)</source>
        <translation>%1 (unbekannter Gerätecode)</translation>
    </message>
    <message>
        <source>Identification</source>
        <translation>Kennung</translation>
    </message>
    <message>
        <source>Data file</source>
        <translation>Datendatei</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>File date</source>
        <translation>Dateidatum</translation>
    </message>
    <message>
        <source>Contents</source>
        <translation>Inhalt</translation>
    </message>
    <message>
        <source>%1 bytes, %2 records, %3 programs</source>
        <translation>%1 Bytes, %2 Datensätze, %3 Programme</translation>
    </message>
    <message>
        <source>Suspect values</source>
        <translation>Zweifelhafte Werte</translation>
    </message>
    <message>
        <source>none: every value comes from a telegram whose checksum matched</source>
        <translation>keine: jeder Wert stammt aus einem Telegramm mit richtiger Prüfsumme</translation>
    </message>
    <message>
        <source>%1 checksum mismatch</source>
        <translation>%1 Prüfsumme falsch</translation>
    </message>
    <message>
        <source>%1 damaged</source>
        <translation>%1 beschädigt</translation>
    </message>
    <message>
        <source>%1 (%2), marked ! in the tables</source>
        <translation>%1 (%2), in den Tabellen mit ! markiert</translation>
    </message>
    <message>
        <source>Check these values against the device before relying on them.</source>
        <translation>Prüfen Sie diese Werte am Gerät, bevor Sie sich auf sie verlassen.</translation>
    </message>
    <message>
        <source>Report date</source>
        <translation>Berichtsdatum</translation>
    </message>
    <message>
        <source>System parameters</source>
        <translation>Systemparameter</translation>
    </message>
    <message>
        <source>The device code in the identification belongs to no known device type, so the parameters of this file have no names and no tables.</source>
        <translation>Der Gerätecode in der Kennung gehört zu keinem bekannten Gerätetyp; die Parameter dieser Datei haben daher keine Namen und keine Tabellen.</translation>
    </message>
    <message>
        <source>Parameter</source>
        <translation>Parameter</translation>
    </message>
    <message>
        <source>Letter</source>
        <translation>Buchstabe</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Wert</translation>
    </message>
    <message>
        <source>Note</source>
        <translation>Hinweis</translation>
    </message>
    <message>
        <source>not in the file</source>
        <translation>nicht in der Datei</translation>
    </message>
    <message>
        <source>programs %1 to %2 of %3</source>
        <translation>Programme %1 bis %2 von %3</translation>
    </message>
    <message>
        <source>, columns part %1 of %2</source>
        <translation>, Spalten Teil %1 von %2</translation>
    </message>
    <message>
        <source>; %1 further programs not shown</source>
        <translation>; %1 weitere Programme nicht gezeigt</translation>
    </message>
    <message>
        <source>Program parameters</source>
        <translation>Programmparameter</translation>
    </message>
    <message>
        <source>Values marked ! come from a telegram whose checksum did not match or that was damaged on the line (shaded): check them against the device.</source>
        <translation>Mit ! markierte Werte stammen aus einem Telegramm mit falscher Prüfsumme oder einem auf der Leitung beschädigten (schattiert): prüfen Sie sie am Gerät.</translation>
    </message>
</context>
<context>
    <name>Table</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>%1 value(s) come from telegrams with a checksum mismatch or damage (shown in red).</source>
        <translation>%1 Wert(e) stammen aus Telegrammen mit falscher Prüfsumme oder Beschädigung (rot dargestellt).</translation>
    </message>
    <message>
        <source>%1 program(s) past the %2th are not shown: the table has no rows for them.</source>
        <translation>%1 Programm(e) nach dem %2. werden nicht angezeigt: die Tabelle hat keine Zeilen dafür.</translation>
    </message>
    <message>
        <source>The file ends inside a record: it was cut short.</source>
        <translation>Die Datei endet mitten in einem Datensatz: sie wurde abgeschnitten.</translation>
    </message>
    <message>
        <source>%1 bytes after the last record are no record.</source>
        <translation>%1 Bytes nach dem letzten Datensatz sind kein Datensatz.</translation>
    </message>
    <message>
        <source>It cannot be written into a device as it stands (%1 fault(s)).</source>
        <translation>So kann sie in kein Gerät geschrieben werden (%1 Fehler).</translation>
    </message>
    <message>
        <source>It is written into a device only after you confirm.</source>
        <translation>Sie wird erst nach Ihrer Bestätigung in ein Gerät geschrieben.</translation>
    </message>
</context>
<context>
    <name>Print</name>
    <message>
        <source>The PDF could not be saved.
%1</source>
        <translation>Die PDF-Datei konnte nicht gespeichert werden.
%1</translation>
    </message>
</context>
<context>
    <name>CoreText</name>
    <message>
        <source>(missing)</source>
        <translation>(fehlt)</translation>
    </message>
    <message>
        <source>mismatch</source>
        <translation>Prüfsummenfehler</translation>
    </message>
    <message>
        <source>damaged</source>
        <translation>beschädigt</translation>
    </message>
    <message>
        <source>record %1: file %2 device %3</source>
        <translation>Datensatz %1: Datei %2 Gerät %3</translation>
    </message>
    <message>
        <source> (file: %1)</source>
        <translation> (Datei: %1)</translation>
    </message>
    <message>
        <source> (device: %1)</source>
        <translation> (Gerät: %1)</translation>
    </message>
    <message>
        <source>Waiting for a device to identify itself (%1 s)</source>
        <translation>Warte, bis sich ein Gerät meldet (%1 s)</translation>
    </message>
    <message>
        <source>Waiting for a device to identify itself on %1 (%2 s)</source>
        <translation>Warte, bis sich ein Gerät an %1 meldet (%2 s)</translation>
    </message>
    <message>
        <source>Waiting for the device&apos;s status reply (%1 s)</source>
        <translation>Warte auf die Statusantwort des Geräts (%1 s)</translation>
    </message>
    <message>
        <source>Waiting for the device to acknowledge the frame (%1 s)</source>
        <translation>Warte auf die Bestätigung des Telegramms durch das Gerät (%1 s)</translation>
    </message>
    <message>
        <source>Waiting for the next telegram from the device (%1 s)</source>
        <translation>Warte auf das nächste Telegramm des Geräts (%1 s)</translation>
    </message>
    <message>
        <source>could not be opened at the time</source>
        <translation>konnte zu dem Zeitpunkt nicht geöffnet werden</translation>
    </message>
    <message>
        <source>no device is assigned to this name</source>
        <translation>diesem Namen ist kein Gerät zugeordnet</translation>
    </message>
    <message>
        <source>missing (the device does not exist)</source>
        <translation>fehlt (das Gerät existiert nicht)</translation>
    </message>
    <message>
        <source>not a serial device</source>
        <translation>kein serielles Gerät</translation>
    </message>
    <message>
        <source>held by another program</source>
        <translation>von einem anderen Programm belegt</translation>
    </message>
    <message>
        <source>held by another program (%1)</source>
        <translation>von einem anderen Programm belegt (%1)</translation>
    </message>
    <message>
        <source>no permission (add yourself to the %1 group: sudo adduser $USER %1, then log in again)</source>
        <translation>keine Berechtigung (treten Sie der Gruppe %1 bei: sudo adduser $USER %1, dann neu anmelden)</translation>
    </message>
    <message>
        <source>cannot be opened (%1)</source>
        <translation>kann nicht geöffnet werden (%1)</translation>
    </message>
    <message>
        <source>cannot be opened</source>
        <translation>kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>The device sent more than a parameter set can hold (%1); the read was stopped. What arrived is kept in %2</source>
        <translation>Das Gerät hat mehr gesendet, als ein Parametersatz fassen kann (%1); das Lesen wurde abgebrochen. Was ankam, liegt in %2</translation>
    </message>
    <message>
        <source>The device answers but does not reply to requests: check the transmit wire of the cable</source>
        <translation>Das Gerät meldet sich, beantwortet aber keine Anfragen: prüfen Sie die Sendeleitung des Kabels</translation>
    </message>
    <message>
        <source>does not take the line settings (4800 baud, 8 data bits, no parity, 1 stop bit)</source>
        <translation>nimmt die Leitungseinstellungen nicht an (4800 Baud, 8 Datenbits, keine Parität, 1 Stoppbit)</translation>
    </message>
    <message>
        <source>no answer in %1 s</source>
        <translation>keine Antwort in %1 s</translation>
    </message>
    <message>
        <source>something answered, but not with a device identification</source>
        <translation>etwas antwortete, aber nicht mit einer Gerätekennung</translation>
    </message>
    <message>
        <source>the line went away (unplugged?)</source>
        <translation>die Leitung ist weg (ausgesteckt?)</translation>
    </message>
    <message>
        <source>a device identified itself but did not answer the status request</source>
        <translation>ein Gerät meldete sich, beantwortete aber die Statusabfrage nicht</translation>
    </message>
    <message>
        <source>a device identified itself but reported error %1</source>
        <translation>ein Gerät meldete sich, aber mit Fehler %1</translation>
    </message>
    <message>
        <source>stopped</source>
        <translation>abgebrochen</translation>
    </message>
    <message>
        <source>The device&apos;s identification arrived damaged (checksum mismatch); nothing was read. Start the read again.</source>
        <translation>Die Kennung des Geräts kam beschädigt an (Prüfsumme falsch); es wurde nichts gelesen. Starten Sie das Lesen erneut.</translation>
    </message>
    <message>
        <source>Cannot create the temporary file: %1</source>
        <translation>Die temporäre Datei kann nicht angelegt werden: %1</translation>
    </message>
    <message>
        <source>Cannot store the data read in %1: %2</source>
        <translation>Die gelesenen Daten können nicht in %1 gespeichert werden: %2</translation>
    </message>
    <message>
        <source>more than %1 system parameters</source>
        <translation>mehr als %1 Systemparameter</translation>
    </message>
    <message>
        <source>more than %1 programs</source>
        <translation>mehr als %1 Programme</translation>
    </message>
    <message>
        <source>more than %1 parameters before the first program</source>
        <translation>mehr als %1 Parameter vor dem ersten Programm</translation>
    </message>
    <message>
        <source>more than %1 parameters in program %2</source>
        <translation>mehr als %1 Parameter in Programm %2</translation>
    </message>
    <message>
        <source>The data file %1 was not saved: %2</source>
        <translation>Die Datendatei %1 wurde nicht gespeichert: %2</translation>
    </message>
    <message>
        <source>What arrived is kept in %1</source>
        <translation>Was ankam, liegt in %1</translation>
    </message>
    <message>
        <source>Cannot read the data file: %1</source>
        <translation>Die Datendatei kann nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>The file %1 is too large to be a data file</source>
        <translation>Die Datei %1 ist zu groß für eine Datendatei</translation>
    </message>
    <message>
        <source>not a data file: it does not begin with an identification telegram</source>
        <translation>keine Datendatei: sie beginnt nicht mit einem Kennungstelegramm</translation>
    </message>
    <message>
        <source>the frame is cut short (%1 of its %2 bytes)</source>
        <translation>das Telegramm ist abgeschnitten (%1 seiner %2 Bytes)</translation>
    </message>
    <message>
        <source>the frame does not end in ETX</source>
        <translation>das Telegramm endet nicht mit ETX</translation>
    </message>
    <message>
        <source>its checksum does not match its characters</source>
        <translation>seine Prüfsumme passt nicht zu seinen Zeichen</translation>
    </message>
    <message>
        <source>marked &quot; !!!&quot;: its checksum did not match when it was read</source>
        <translation>mit &quot; !!!&quot; markiert: seine Prüfsumme stimmte beim Lesen nicht</translation>
    </message>
    <message>
        <source>marked &quot; !!!&quot; and changed after it was read</source>
        <translation>mit &quot; !!!&quot; markiert und nach dem Lesen geändert</translation>
    </message>
    <message>
        <source>the file holds no parameter to write</source>
        <translation>die Datei enthält keinen Parameter zum Schreiben</translation>
    </message>
    <message>
        <source>the file holds %1 programs; a device holds at most %2, and this is the first one past them</source>
        <translation>die Datei enthält %1 Programme; ein Gerät fasst höchstens %2, und dies ist das erste darüber</translation>
    </message>
    <message>
        <source>the file ends inside a record: it was cut short</source>
        <translation>die Datei endet mitten in einem Datensatz: sie wurde abgeschnitten</translation>
    </message>
    <message>
        <source>1 byte after the last record is no record</source>
        <translation>1 Byte nach dem letzten Datensatz ist kein Datensatz</translation>
    </message>
    <message>
        <source>%1 bytes after the last record are no record</source>
        <translation>%1 Bytes nach dem letzten Datensatz sind kein Datensatz</translation>
    </message>
    <message>
        <source>1 byte between two records is no record</source>
        <translation>1 Byte zwischen zwei Datensätzen ist kein Datensatz</translation>
    </message>
    <message>
        <source>%1 bytes between two records are no record</source>
        <translation>%1 Bytes zwischen zwei Datensätzen sind kein Datensatz</translation>
    </message>
    <message>
        <source>1 byte after its annotation &quot;%1&quot;: a read stores nothing there</source>
        <translation>1 Byte nach seiner Anmerkung &quot;%1&quot;: ein Lesen speichert dort nichts</translation>
    </message>
    <message>
        <source>%1 bytes after its annotation &quot;%2&quot;: a read stores nothing there</source>
        <translation>%1 Bytes nach seiner Anmerkung &quot;%2&quot;: ein Lesen speichert dort nichts</translation>
    </message>
    <message>
        <source>its annotation is not the &quot;%1&quot; a read writes after this frame</source>
        <translation>seine Anmerkung ist nicht das &quot;%1&quot;, das ein Lesen nach diesem Telegramm schreibt</translation>
    </message>
    <message>
        <source>it runs into the next record without its line end (CR LF CR)</source>
        <translation>er läuft ohne sein Zeilenende (CR LF CR) in den nächsten Datensatz</translation>
    </message>
    <message>
        <source>record %1</source>
        <translation>Datensatz %1</translation>
    </message>
    <message>
        <source>file</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>, system</source>
        <translation>, System</translation>
    </message>
    <message>
        <source>, program %1</source>
        <translation>, Programm %1</translation>
    </message>
    <message>
        <source>, letter %1</source>
        <translation>, Buchstabe %1</translation>
    </message>
    <message>
        <source>1 fault</source>
        <translation>1 Fehler</translation>
    </message>
    <message>
        <source>%1 faults</source>
        <translation>%1 Fehler</translation>
    </message>
    <message>
        <source>, 1 marked record</source>
        <translation>, 1 markierter Datensatz</translation>
    </message>
    <message>
        <source>, %1 marked records</source>
        <translation>, %1 markierte Datensätze</translation>
    </message>
    <message>
        <source>, cut short</source>
        <translation>, abgeschnitten</translation>
    </message>
    <message>
        <source>Nothing was sent: the file cannot be written as it stands (%1):</source>
        <translation>Nichts wurde gesendet: die Datei kann so nicht geschrieben werden (%1):</translation>
    </message>
    <message>
        <source>1 record is marked &quot; !!!&quot;: the value a device would get may not be the one it sent:</source>
        <translation>1 Datensatz ist mit &quot; !!!&quot; markiert: der Wert, den ein Gerät erhielte, ist vielleicht nicht der, den es gesendet hat:</translation>
    </message>
    <message>
        <source>%1 records are marked &quot; !!!&quot;: the value a device would get may not be the one it sent:</source>
        <translation>%1 Datensätze sind mit &quot; !!!&quot; markiert: der Wert, den ein Gerät erhielte, ist vielleicht nicht der, den es gesendet hat:</translation>
    </message>
    <message>
        <source>The file was cut short: a device would get only the frames before the cut and keep its own values for whatever followed:</source>
        <translation>Die Datei wurde abgeschnitten: ein Gerät erhielte nur die Telegramme vor dem Schnitt und behielte für alles Folgende seine eigenen Werte:</translation>
    </message>
    <message>
        <source>1 record is marked &quot; !!!&quot; and the file was cut short: the values a device would get may not be the ones it sent, and it would keep its own for whatever followed the cut:</source>
        <translation>1 Datensatz ist mit &quot; !!!&quot; markiert und die Datei wurde abgeschnitten: die Werte, die ein Gerät erhielte, sind vielleicht nicht die, die es gesendet hat, und für alles nach dem Schnitt behielte es seine eigenen:</translation>
    </message>
    <message>
        <source>%1 records are marked &quot; !!!&quot; and the file was cut short: the values a device would get may not be the ones it sent, and it would keep its own for whatever followed the cut:</source>
        <translation>%1 Datensätze sind mit &quot; !!!&quot; markiert und die Datei wurde abgeschnitten: die Werte, die ein Gerät erhielte, sind vielleicht nicht die, die es gesendet hat, und für alles nach dem Schnitt behielte es seine eigenen:</translation>
    </message>
    <message>
        <source>... and %1 more</source>
        <translation>... und %1 weitere</translation>
    </message>
    <message>
        <source>read</source>
        <translation>Lesen</translation>
    </message>
    <message>
        <source>backup</source>
        <translation>Sicherung</translation>
    </message>
    <message>
        <source>write</source>
        <translation>Schreiben</translation>
    </message>
    <message>
        <source>not asked</source>
        <translation>nicht verlangt</translation>
    </message>
    <message>
        <source>passed</source>
        <translation>bestanden</translation>
    </message>
    <message>
        <source>failed</source>
        <translation>fehlgeschlagen</translation>
    </message>
</context>
<context>
    <name>Cable</name>
    <message>
        <source>Connection cable 3 m, shielded</source>
        <translation>Verbindungskabel 3 m, geschirmt</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>Gerät</translation>
    </message>
    <message>
        <source>3-pin plug</source>
        <translation>3-poliger Stecker</translation>
    </message>
    <message>
        <source>9-pin D-sub socket</source>
        <translation>9-polige D-Sub-Buchse</translation>
    </message>
    <message>
        <source>shield</source>
        <translation>Schirm</translation>
    </message>
    <message>
        <source>shield grounded at the D-sub shell</source>
        <translation>Schirm am D-Sub-Gehäuse geerdet</translation>
    </message>
    <message>
        <source>D-sub to D-sub</source>
        <translation>D-Sub auf D-Sub</translation>
    </message>
    <message>
        <source>9-pin D-sub</source>
        <translation>9-polig D-Sub</translation>
    </message>
    <message>
        <source>TxD and RxD crossed</source>
        <translation>TxD und RxD gekreuzt</translation>
    </message>
</context>
<context>
    <name>Info</name>
    <message>
        <source>Phone </source>
        <translation>Telefon </translation>
    </message>
    <message>
        <source>Fax   </source>
        <translation>Fax   </translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>Edit</name>
    <message>
        <source>&amp;Save</source>
        <translation>S&amp;peichern</translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation>Speichern &amp;unter...</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Rückgängig</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Wiederherstellen</translation>
    </message>
    <message>
        <source>This value comes from a damaged record and cannot be changed.</source>
        <translation>Dieser Wert stammt aus einem beschädigten Datensatz und kann nicht geändert werden.</translation>
    </message>
    <message>
        <source>This cell cannot be changed.</source>
        <translation>Diese Zelle kann nicht geändert werden.</translation>
    </message>
    <message>
        <source>A value is a sign and up to six digits.</source>
        <translation>Ein Wert besteht aus einem Vorzeichen und bis zu sechs Ziffern.</translation>
    </message>
    <message>
        <source>Not changed: a value needs at least one digit.</source>
        <translation>Nicht geändert: Ein Wert braucht mindestens eine Ziffer.</translation>
    </message>
    <message>
        <source>Changed, not saved; it was %1</source>
        <translation>Geändert, nicht gespeichert; vorher %1</translation>
    </message>
    <message>
        <source>The file could not be saved.
%1</source>
        <translation>Die Datei konnte nicht gespeichert werden.
%1</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>Speichern unter</translation>
    </message>
    <message>
        <source>%1 has changes that are not saved. Save them?</source>
        <translation>%1 hat Änderungen, die nicht gespeichert sind. Jetzt speichern?</translation>
    </message>
    <message>
        <source>%1 has changes that are not saved. Save them before writing into a device?</source>
        <translation>%1 hat Änderungen, die nicht gespeichert sind. Vor dem Schreiben in das Gerät speichern?</translation>
    </message>
</context>
</TS>
