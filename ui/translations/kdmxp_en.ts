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
    <message>
        <source>Open</source>
        <translation>Open</translation>
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
    <message>
        <source>no device is assigned to this port</source>
        <translation>no device is assigned to this port</translation>
    </message>
    <message>
        <source>the device does not exist</source>
        <translation>the device does not exist</translation>
    </message>
    <message>
        <source>not a serial device</source>
        <translation>not a serial device</translation>
    </message>
    <message>
        <source>in use by another program</source>
        <translation>in use by another program</translation>
    </message>
    <message>
        <source>no permission</source>
        <translation>no permission</translation>
    </message>
    <message>
        <source>no permission (members of group &quot;%1&quot; may use it)</source>
        <translation>no permission (members of group &quot;%1&quot; may use it)</translation>
    </message>
    <message>
        <source>cannot be opened</source>
        <translation>cannot be opened</translation>
    </message>
    <message>
        <source>no device</source>
        <translation>no device</translation>
    </message>
    <message>
        <source>(no device)</source>
        <translation>(no device)</translation>
    </message>
    <message>
        <source> (mapped)</source>
        <translation> (mapped)</translation>
    </message>
    <message>
        <source>&amp;Port:</source>
        <translation>&amp;Port:</translation>
    </message>
    <message>
        <source>&amp;Device:</source>
        <translation>&amp;Device:</translation>
    </message>
    <message>
        <source>Choose a detected device or type the whole path of any device. An empty device gives the port back to its default.</source>
        <translation>Choose a detected device or type the whole path of any device. An empty device gives the port back to its default.</translation>
    </message>
    <message>
        <source>Warning: </source>
        <translation>Warning: </translation>
    </message>
    <message>
        <source>COM%1 goes back to its default.</source>
        <translation>COM%1 goes back to its default.</translation>
    </message>
    <message>
        <source>A device that was not detected.</source>
        <translation>A device that was not detected.</translation>
    </message>
    <message>
        <source> (now COM%1)</source>
        <translation> (now COM%1)</translation>
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
    <message>
        <source>Data transfer active</source>
        <translation>Data transfer active</translation>
    </message>
    <message>
        <source>Data to transfer:</source>
        <translation>Data to transfer:</translation>
    </message>
    <message>
        <source>Actual program no.:</source>
        <translation>Actual program no.:</translation>
    </message>
    <message>
        <source>Backing up the device...</source>
        <translation>Backing up the device...</translation>
    </message>
    <message>
        <source>Elapsed %1</source>
        <translation>Elapsed %1</translation>
    </message>
    <message>
        <source>, about %1 left</source>
        <translation>, about %1 left</translation>
    </message>
    <message>
        <source> (1 telegram with checksum mismatch)</source>
        <translation> (1 telegram with checksum mismatch)</translation>
    </message>
    <message>
        <source> (%1 telegrams with checksum mismatch)</source>
        <translation> (%1 telegrams with checksum mismatch)</translation>
    </message>
    <message>
        <source>The data file was saved</source>
        <translation>The data file was saved</translation>
    </message>
    <message>
        <source>The file was written</source>
        <translation>The file was written</translation>
    </message>
    <message>
        <source>Part of the file was written</source>
        <translation>Part of the file was written</translation>
    </message>
    <message>
        <source>The device now holds an incomplete parameter set (%1 of %2 frames): write the file again or restore a backup.</source>
        <translation>The device now holds an incomplete parameter set (%1 of %2 frames): write the file again or restore a backup.</translation>
    </message>
    <message>
        <source>The write was stopped.</source>
        <translation>The write was stopped.</translation>
    </message>
    <message>
        <source>, but the device history could not keep a copy.</source>
        <translation>, but the device history could not keep a copy.</translation>
    </message>
    <message>
        <source>The backup before writing failed: nothing was written into the device.</source>
        <translation>The backup before writing failed: nothing was written into the device.</translation>
    </message>
    <message>
        <source>Write these values into the device all the same?</source>
        <translation>Write these values into the device all the same?</translation>
    </message>
    <message>
        <source>Reading parameter:</source>
        <translation>Reading parameter:</translation>
    </message>
    <message>
        <source>Parameter no:</source>
        <translation>Parameter no:</translation>
    </message>
    <message>
        <source>Program no.</source>
        <translation>Program no.</translation>
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
    <message>
        <source>, verify </source>
        <translation>, verify </translation>
    </message>
    <message>
        <source>, incomplete: %1 of %2 frames</source>
        <translation>, incomplete: %1 of %2 frames</translation>
    </message>
    <message>
        <source>Asking the remote what it holds...</source>
        <translation>Asking the remote what it holds...</translation>
    </message>
    <message>
        <source>Taking in the entries of other laptops...</source>
        <translation>Taking in the entries of other laptops...</translation>
    </message>
    <message>
        <source>Sending this laptop&apos;s entries...</source>
        <translation>Sending this laptop&apos;s entries...</translation>
    </message>
    <message>
        <source>1 entry</source>
        <translation>1 entry</translation>
    </message>
    <message>
        <source>%1 entries</source>
        <translation>%1 entries</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>Kind</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>Host</source>
        <translation>Host</translation>
    </message>
    <message>
        <source>User</source>
        <translation>User</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>Entry</source>
        <translation>Entry</translation>
    </message>
    <message>
        <source>Shared remote: unknown (%1)</source>
        <translation>Shared remote: unknown (%1)</translation>
    </message>
    <message>
        <source>Not shared: no remote is set (kdmxp-cli history remote URL sets one)</source>
        <translation>Not shared: no remote is set (kdmxp-cli history remote URL sets one)</translation>
    </message>
    <message>
        <source>Shared through: </source>
        <translation>Shared through: </translation>
    </message>
    <message>
        <source>Kept in </source>
        <translation>Kept in </translation>
    </message>
    <message>
        <source>The history cannot be listed: </source>
        <translation>The history cannot be listed: </translation>
    </message>
    <message>
        <source>No entries yet: every read, every backup before a write and every write adds one.</source>
        <translation>No entries yet: every read, every backup before a write and every write adds one.</translation>
    </message>
    <message>
        <source>Entry %1 cannot be read: %2</source>
        <translation>Entry %1 cannot be read: %2</translation>
    </message>
    <message>
        <source>No temporary directory for the entry&apos;s data: </source>
        <translation>No temporary directory for the entry&apos;s data: </translation>
    </message>
    <message>
        <source>Entry %1 cannot be shown: %2</source>
        <translation>Entry %1 cannot be shown: %2</translation>
    </message>
    <message>
        <source>entry %1 (%2, %3)</source>
        <translation>entry %1 (%2, %3)</translation>
    </message>
    <message>
        <source>Entry %1 is the first of device %2: there is nothing before it to compare it with.</source>
        <translation>Entry %1 is the first of device %2: there is nothing before it to compare it with.</translation>
    </message>
    <message>
        <source>Synchronising...</source>
        <translation>Synchronising...</translation>
    </message>
    <message>
        <source>Synchronised with %1: %2 received, %3 sent. %4 in the history.</source>
        <translation>Synchronised with %1: %2 received, %3 sent. %4 in the history.</translation>
    </message>
    <message>
        <source>Not synchronised: </source>
        <translation>Not synchronised: </translation>
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
<context>
    <name>Compare</name>
    <message>
        <source>(none)</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>(blank)</source>
        <translation>(blank)</translation>
    </message>
    <message>
        <source> (checksum mismatch)</source>
        <translation> (checksum mismatch)</translation>
    </message>
    <message>
        <source> (damaged telegram)</source>
        <translation> (damaged telegram)</translation>
    </message>
    <message>
        <source>&amp;Compare</source>
        <translation>&amp;Compare</translation>
    </message>
    <message>
        <source>Compare with &amp;file...</source>
        <translation>Compare with &amp;file...</translation>
    </message>
    <message>
        <source>Compare with &amp;device...</source>
        <translation>Compare with &amp;device...</translation>
    </message>
    <message>
        <source>Compare with file</source>
        <translation>Compare with file</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>No temporary directory for the device&apos;s data.</source>
        <translation>No temporary directory for the device&apos;s data.</translation>
    </message>
    <message>
        <source>the device</source>
        <translation>the device</translation>
    </message>
    <message>
        <source>Device type %1 here, %2 in %3</source>
        <translation>Device type %1 here, %2 in %3</translation>
    </message>
    <message>
        <source>System</source>
        <translation>System</translation>
    </message>
    <message>
        <source>Program %1</source>
        <translation>Program %1</translation>
    </message>
    <message>
        <source>(no number)</source>
        <translation>(no number)</translation>
    </message>
    <message>
        <source>%1, %2: %3 here, %4 in %5</source>
        <translation>%1, %2: %3 here, %4 in %5</translation>
    </message>
    <message>
        <source>%1, %2: %3 here, not in %4</source>
        <translation>%1, %2: %3 here, not in %4</translation>
    </message>
    <message>
        <source>%1, %2: only in %3, %4</source>
        <translation>%1, %2: only in %3, %4</translation>
    </message>
    <message>
        <source>%1, %2: %3 here, %4 in %5 - not to be trusted</source>
        <translation>%1, %2: %3 here, %4 in %5 - not to be trusted</translation>
    </message>
    <message>
        <source>In %1: %2</source>
        <translation>In %1: %2</translation>
    </message>
    <message>
        <source>Not in %1</source>
        <translation>Not in %1</translation>
    </message>
    <message>
        <source>No cell in this window&apos;s tables</source>
        <translation>No cell in this window&apos;s tables</translation>
    </message>
    <message>
        <source>No differences from %1.</source>
        <translation>No differences from %1.</translation>
    </message>
    <message>
        <source>1 difference from %1</source>
        <translation>1 difference from %1</translation>
    </message>
    <message>
        <source>%1 differences from %2</source>
        <translation>%1 differences from %2</translation>
    </message>
    <message>
        <source>%1 changed</source>
        <translation>%1 changed</translation>
    </message>
    <message>
        <source>%1 only here</source>
        <translation>%1 only here</translation>
    </message>
    <message>
        <source>%1 only in %2</source>
        <translation>%1 only in %2</translation>
    </message>
    <message>
        <source>%1 alike but not to be trusted</source>
        <translation>%1 alike but not to be trusted</translation>
    </message>
    <message>
        <source>; the device type differs</source>
        <translation>; the device type differs</translation>
    </message>
    <message>
        <source>. Marked cells show the other value in their tooltip.</source>
        <translation>. Marked cells show the other value in their tooltip.</translation>
    </message>
</context>
<context>
    <name>Report</name>
    <message>
        <source>Export report</source>
        <translation>Export report</translation>
    </message>
    <message>
        <source>PDF documents (*.pdf)</source>
        <translation>PDF documents (*.pdf)</translation>
    </message>
    <message>
        <source>The report could not be exported.
%1</source>
        <translation>The report could not be exported.
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
        <translation>%1 value(s) come from telegrams with a checksum mismatch or damage (shown in red).</translation>
    </message>
    <message>
        <source>%1 program(s) past the %2th are not shown: the table has no rows for them.</source>
        <translation>%1 program(s) past the %2th are not shown: the table has no rows for them.</translation>
    </message>
    <message>
        <source>The file ends inside a record: it was cut short.</source>
        <translation>The file ends inside a record: it was cut short.</translation>
    </message>
    <message>
        <source>%1 bytes after the last record are no record.</source>
        <translation>%1 bytes after the last record are no record.</translation>
    </message>
    <message>
        <source>It cannot be written into a device as it stands (%1 fault(s)).</source>
        <translation>It cannot be written into a device as it stands (%1 fault(s)).</translation>
    </message>
    <message>
        <source>It is written into a device only after you confirm.</source>
        <translation>It is written into a device only after you confirm.</translation>
    </message>
</context>
<context>
    <name>Print</name>
    <message>
        <source>The PDF could not be saved.
%1</source>
        <translation>The PDF could not be saved.
%1</translation>
    </message>
</context>
<context>
    <name>Edit</name>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation>Save &amp;As...</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Undo</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Redo</translation>
    </message>
    <message>
        <source>This value comes from a damaged record and cannot be changed.</source>
        <translation>This value comes from a damaged record and cannot be changed.</translation>
    </message>
    <message>
        <source>This cell cannot be changed.</source>
        <translation>This cell cannot be changed.</translation>
    </message>
    <message>
        <source>A value is a sign and up to six digits.</source>
        <translation>A value is a sign and up to six digits.</translation>
    </message>
    <message>
        <source>Not changed: a value needs at least one digit.</source>
        <translation>Not changed: a value needs at least one digit.</translation>
    </message>
    <message>
        <source>Changed, not saved; it was %1</source>
        <translation>Changed, not saved; it was %1</translation>
    </message>
    <message>
        <source>The file could not be saved.
%1</source>
        <translation>The file could not be saved.
%1</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>%1 has changes that are not saved. Save them?</source>
        <translation>%1 has changes that are not saved. Save them?</translation>
    </message>
    <message>
        <source>%1 has changes that are not saved. Save them before writing into a device?</source>
        <translation>%1 has changes that are not saved. Save them before writing into a device?</translation>
    </message>
</context>
</TS>
