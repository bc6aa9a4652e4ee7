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
        <source>Time</source>
        <translation>Zeit</translation>
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
        <source>Not shared: no remote is set (kdmxp-cli history remote URL sets one)</source>
        <translation>Nicht geteilt: keine Gegenstelle eingestellt (kdmxp-cli history remote URL stellt eine ein)</translation>
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
