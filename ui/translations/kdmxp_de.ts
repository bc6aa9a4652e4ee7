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
</TS>
