<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="en">
<context>
    <name>Menu</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>&amp;Open...</source>
        <translation>&amp;Open...</translation>
    </message>
    <message>
        <source>&amp;Print...</source>
        <translation>&amp;Print...</translation>
    </message>
    <message>
        <source>&amp;Export report...</source>
        <translation>&amp;Export report...</translation>
    </message>
    <message>
        <source>&amp;History...</source>
        <translation>&amp;History...</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>&amp;Recent files</source>
        <translation>&amp;Recent files</translation>
    </message>
    <message>
        <source>(none)</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>&amp;KDM_Data</source>
        <translation>&amp;KDM_Data</translation>
    </message>
    <message>
        <source>&amp;Read Dorvik device...</source>
        <translation>&amp;Read Dorvik device...</translation>
    </message>
    <message>
        <source>&amp;Write Dorvik device...</source>
        <translation>&amp;Write Dorvik device...</translation>
    </message>
    <message>
        <source>&amp;Back up the device before writing</source>
        <translation>&amp;Back up the device before writing</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>&amp;Connection/Kabel</source>
        <translation>&amp;Connection/Cable</translation>
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
        <translation>&amp;Port selection</translation>
    </message>
    <message>
        <source>&amp;Port Auswahl...</source>
        <translation>&amp;Port selection...</translation>
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
  Data store / restore for  Q4400-devices</translation>
    </message>
</context>
<context>
    <name>Ports</name>
    <message>
        <source>Port Auswahl</source>
        <translation>Port selection</translation>
    </message>
    <message>
        <source>&amp;Map a device...</source>
        <translation>&amp;Map a device...</translation>
    </message>
    <message>
        <source>Map a Device</source>
        <translation>Map a Device</translation>
    </message>
</context>
<context>
    <name>Transfer</name>
    <message>
        <source>Write data to Dorvik-device</source>
        <translation>Write data to Dorvik-device</translation>
    </message>
    <message>
        <source>Read data from Dorvik-device</source>
        <translation>Read data from Dorvik-device</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
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
        <translation>Device history</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>&amp;Open</translation>
    </message>
    <message>
        <source>Compare with &amp;previous</source>
        <translation>Compare with &amp;previous</translation>
    </message>
    <message>
        <source>&amp;Synchronise</source>
        <translation>&amp;Synchronise</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>Strings</name>
    <message>
        <source>Searching for COM ...</source>
        <translation>Searching for COM ...</translation>
    </message>
    <message>
        <source>Request for system parameters</source>
        <translation>Request for system parameters</translation>
    </message>
    <message>
        <source>Request for program parameters</source>
        <translation>Request for program parameters</translation>
    </message>
    <message>
        <source>communication terminated</source>
        <translation>communication terminated</translation>
    </message>
    <message>
        <source>Receiving system parameters</source>
        <translation>Receiving system parameters</translation>
    </message>
    <message>
        <source>Receiving program parameters</source>
        <translation>Receiving program parameters</translation>
    </message>
    <message>
        <source>Transfer system parameters</source>
        <translation>Transfer system parameters</translation>
    </message>
    <message>
        <source>Transfer program parameters</source>
        <translation>Transfer program parameters</translation>
    </message>
    <message>
        <source>Checking file and device type</source>
        <translation>Checking file and device type</translation>
    </message>
    <message>
        <source>Waiting for Dorvik device</source>
        <translation>Waiting for Dorvik device</translation>
    </message>
    <message>
        <source>Download not started</source>
        <translation>Download not started</translation>
    </message>
    <message>
        <source>Parameterfile has an error</source>
        <translation>Parameterfile has an error</translation>
    </message>
    <message>
        <source>RS232-cable defect</source>
        <translation>RS232-cable defect</translation>
    </message>
    <message>
        <source>No Dorvik-device found</source>
        <translation>No Dorvik-device found</translation>
    </message>
    <message>
        <source>No COM-IO found</source>
        <translation>No COM-IO found</translation>
    </message>
    <message>
        <source>Unknown Error</source>
        <translation>Unknown Error</translation>
    </message>
    <message>
        <source>No device response</source>
        <translation>No device response</translation>
    </message>
    <message>
        <source>Actual data not stored! 
Do you realy want to break?</source>
        <translation>Actual data not stored! 
Do you realy want to break?</translation>
    </message>
    <message>
        <source>Select Port</source>
        <translation>Select Port</translation>
    </message>
    <message>
        <source>file type is not device typ</source>
        <translation>file type is not device typ</translation>
    </message>
</context>
</TS>
