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
    <message>
        <source>%1 is no longer there: it was taken off the recent files.</source>
        <translation>%1 is no longer there: it was taken off the recent files.</translation>
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
    <message>
        <source>&amp;Verify after writing</source>
        <translation>&amp;Verify after writing</translation>
    </message>
    <message>
        <source>Reading the device back to verify...</source>
        <translation>Reading the device back to verify...</translation>
    </message>
    <message numerus="yes">
        <source>Write %1 (type %2, %n programs) into the device on %3?</source>
        <translation>
            <numerusform>Write %1 (type %2, %n program) into the device on %3?</numerusform>
            <numerusform>Write %1 (type %2, %n programs) into the device on %3?</numerusform>
        </translation>
    </message>
    <message>
        <source>The write was not verified: no temporary directory for the read-back.</source>
        <translation>The write was not verified: no temporary directory for the read-back.</translation>
    </message>
    <message>
        <source>The file was written, but the device could not be read back: the write is not verified.</source>
        <translation>The file was written, but the device could not be read back: the write is not verified.</translation>
    </message>
    <message numerus="yes">
        <source>Verified: all %n parameters in the device match the file.</source>
        <translation>
            <numerusform>Verified: the %n parameter in the device matches the file.</numerusform>
            <numerusform>Verified: all %n parameters in the device match the file.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Verify: %1 of %n parameters in the device differ from the file.</source>
        <translation>
            <numerusform>Verify: %1 of %n parameter in the device differs from the file.</numerusform>
            <numerusform>Verify: %1 of %n parameters in the device differ from the file.</numerusform>
        </translation>
    </message>
    <message>
        <source>No temporary directory for the backup: </source>
        <translation>No temporary directory for the backup: </translation>
    </message>
    <message>
        <source>The backup cannot be read back: </source>
        <translation>The backup cannot be read back: </translation>
    </message>
    <message>
        <source>The device history could not keep the backup: </source>
        <translation>The device history could not keep the backup: </translation>
    </message>
    <message>
        <source>&amp;Machine:</source>
        <translation>&amp;Machine:</translation>
    </message>
    <message>
        <source>optional, e.g. Press 7</source>
        <translation>optional, e.g. Press 7</translation>
    </message>
    <message>
        <source>The machine&apos;s name in the device history: it tells apart devices that identify themselves alike</source>
        <translation>The machine&apos;s name in the device history: it tells apart devices that identify themselves alike</translation>
    </message>
    <message>
        <source>Use &quot;%1&quot;</source>
        <translation>Use &quot;%1&quot;</translation>
    </message>
    <message>
        <source>The machine last read or written on %1</source>
        <translation>The machine last read or written on %1</translation>
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
    <message>
        <source>Set &amp;remote...</source>
        <translation>Set &amp;remote...</translation>
    </message>
    <message>
        <source>Filter by machine or device</source>
        <translation>Filter by machine or device</translation>
    </message>
    <message>
        <source>Time (%1)</source>
        <translation>Time (%1)</translation>
    </message>
    <message>
        <source>Machine</source>
        <translation>Machine</translation>
    </message>
    <message>
        <source>Parameter s&amp;tory</source>
        <translation>Parameter s&amp;tory</translation>
    </message>
    <message>
        <source>&amp;Name machine...</source>
        <translation>&amp;Name machine...</translation>
    </message>
    <message>
        <source>Not shared: no remote is set (Set remote..., or kdmxp-cli history remote URL)</source>
        <translation>Not shared: no remote is set (Set remote..., or kdmxp-cli history remote URL)</translation>
    </message>
    <message>
        <source>Set a remote to share the history</source>
        <translation>Set a remote to share the history</translation>
    </message>
    <message>
        <source>%1, %2 %3 (history entry %4)</source>
        <translation>%1, %2 %3 (history entry %4)</translation>
    </message>
    <message>
        <source>%1 of %2 shown</source>
        <translation>%1 of %2 shown</translation>
    </message>
    <message>
        <source>Name machine</source>
        <translation>Name machine</translation>
    </message>
    <message>
        <source>Machine of entry %1 (device %2):</source>
        <translation>Machine of entry %1 (device %2):</translation>
    </message>
    <message>
        <source>This entry &amp;only (it was given another machine&apos;s name)</source>
        <translation>This entry &amp;only (it was given another machine&apos;s name)</translation>
    </message>
    <message>
        <source>Not named: </source>
        <translation>Not named: </translation>
    </message>
    <message>
        <source>Entry %1 belongs to machine %2.</source>
        <translation>Entry %1 belongs to machine %2.</translation>
    </message>
    <message>
        <source>Shared remote</source>
        <translation>Shared remote</translation>
    </message>
    <message>
        <source>The remote this history syncs with (a path, file:// or ssh URL of a git repository):</source>
        <translation>The remote this history syncs with (a path, file:// or ssh URL of a git repository):</translation>
    </message>
    <message>
        <source>Remote not set: </source>
        <translation>Remote not set: </translation>
    </message>
    <message>
        <source>The parameter story cannot be told: </source>
        <translation>The parameter story cannot be told: </translation>
    </message>
    <message>
        <source> - parameter story of %1 entries, marked: changed in the last</source>
        <translation> - parameter story of %1 entries, marked: changed in the last</translation>
    </message>
    <message>
        <source>since %1 (%2) by %3@%4, entry %5</source>
        <translation>since %1 (%2) by %3@%4, entry %5</translation>
    </message>
    <message>
        <source>; a telegram that cannot be trusted ends the run</source>
        <translation>; a telegram that cannot be trusted ends the run</translation>
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
    <message>
        <source>Error RS232</source>
        <translation>Error RS232</translation>
    </message>
    <message>
        <source>Device error no:</source>
        <translation>Device error no:</translation>
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
    <message>
        <source>checksum mismatch</source>
        <translation>checksum mismatch</translation>
    </message>
    <message>
        <source>damaged telegram</source>
        <translation>damaged telegram</translation>
    </message>
    <message>
        <source>Parameter report %1</source>
        <translation>Parameter report %1</translation>
    </message>
    <message>
        <source>KDM XP parameter report</source>
        <translation>KDM XP parameter report</translation>
    </message>
    <message>
        <source>Page %1 of %2</source>
        <translation>Page %1 of %2</translation>
    </message>
    <message>
        <source>Q4400 sheet-detection device</source>
        <translation>Q4400 sheet-detection device</translation>
    </message>
    <message>
        <source>Parameter report</source>
        <translation>Parameter report</translation>
    </message>
    <message>
        <source>Device type</source>
        <translation>Device type</translation>
    </message>
    <message>
        <source>%1 (unknown device code)</source>
        <translation>%1 (unknown device code)</translation>
    </message>
    <message>
        <source>Identification</source>
        <translation>Identification</translation>
    </message>
    <message>
        <source>Data file</source>
        <translation>Data file</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Folder</translation>
    </message>
    <message>
        <source>File date</source>
        <translation>File date</translation>
    </message>
    <message>
        <source>Contents</source>
        <translation>Contents</translation>
    </message>
    <message>
        <source>%1 bytes, %2 records, %3 programs</source>
        <translation>%1 bytes, %2 records, %3 programs</translation>
    </message>
    <message>
        <source>Suspect values</source>
        <translation>Suspect values</translation>
    </message>
    <message>
        <source>none: every value comes from a telegram whose checksum matched</source>
        <translation>none: every value comes from a telegram whose checksum matched</translation>
    </message>
    <message>
        <source>%1 checksum mismatch</source>
        <translation>%1 checksum mismatch</translation>
    </message>
    <message>
        <source>%1 damaged</source>
        <translation>%1 damaged</translation>
    </message>
    <message>
        <source>%1 (%2), marked ! in the tables</source>
        <translation>%1 (%2), marked ! in the tables</translation>
    </message>
    <message>
        <source>Check these values against the device before relying on them.</source>
        <translation>Check these values against the device before relying on them.</translation>
    </message>
    <message>
        <source>Report date</source>
        <translation>Report date</translation>
    </message>
    <message>
        <source>System parameters</source>
        <translation>System parameters</translation>
    </message>
    <message>
        <source>The device code in the identification belongs to no known device type, so the parameters of this file have no names and no tables.</source>
        <translation>The device code in the identification belongs to no known device type, so the parameters of this file have no names and no tables.</translation>
    </message>
    <message>
        <source>Parameter</source>
        <translation>Parameter</translation>
    </message>
    <message>
        <source>Letter</source>
        <translation>Letter</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>Note</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>not in the file</source>
        <translation>not in the file</translation>
    </message>
    <message>
        <source>programs %1 to %2 of %3</source>
        <translation>programs %1 to %2 of %3</translation>
    </message>
    <message>
        <source>, columns part %1 of %2</source>
        <translation>, columns part %1 of %2</translation>
    </message>
    <message>
        <source>; %1 further programs not shown</source>
        <translation>; %1 further programs not shown</translation>
    </message>
    <message>
        <source>Program parameters</source>
        <translation>Program parameters</translation>
    </message>
    <message>
        <source>Values marked ! come from a telegram whose checksum did not match or that was damaged on the line (shaded): check them against the device.</source>
        <translation>Values marked ! come from a telegram whose checksum did not match or that was damaged on the line (shaded): check them against the device.</translation>
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
    <name>CoreText</name>
    <message>
        <source>(missing)</source>
        <translation>(missing)</translation>
    </message>
    <message>
        <source>mismatch</source>
        <translation>mismatch</translation>
    </message>
    <message>
        <source>damaged</source>
        <translation>damaged</translation>
    </message>
    <message>
        <source>record %1: file %2 device %3</source>
        <translation>record %1: file %2 device %3</translation>
    </message>
    <message>
        <source> (file: %1)</source>
        <translation> (file: %1)</translation>
    </message>
    <message>
        <source> (device: %1)</source>
        <translation> (device: %1)</translation>
    </message>
    <message>
        <source>Waiting for a device to identify itself (%1 s)</source>
        <translation>Waiting for a device to identify itself (%1 s)</translation>
    </message>
    <message>
        <source>Waiting for a device to identify itself on %1 (%2 s)</source>
        <translation>Waiting for a device to identify itself on %1 (%2 s)</translation>
    </message>
    <message>
        <source>Waiting for the device&apos;s status reply (%1 s)</source>
        <translation>Waiting for the device&apos;s status reply (%1 s)</translation>
    </message>
    <message>
        <source>Waiting for the device to acknowledge the frame (%1 s)</source>
        <translation>Waiting for the device to acknowledge the frame (%1 s)</translation>
    </message>
    <message>
        <source>Waiting for the next telegram from the device (%1 s)</source>
        <translation>Waiting for the next telegram from the device (%1 s)</translation>
    </message>
    <message>
        <source>could not be opened at the time</source>
        <translation>could not be opened at the time</translation>
    </message>
    <message>
        <source>no device is assigned to this name</source>
        <translation>no device is assigned to this name</translation>
    </message>
    <message>
        <source>missing (the device does not exist)</source>
        <translation>missing (the device does not exist)</translation>
    </message>
    <message>
        <source>not a serial device</source>
        <translation>not a serial device</translation>
    </message>
    <message>
        <source>held by another program</source>
        <translation>held by another program</translation>
    </message>
    <message>
        <source>held by another program (%1)</source>
        <translation>held by another program (%1)</translation>
    </message>
    <message>
        <source>no permission (add yourself to the %1 group: sudo adduser $USER %1, then log in again)</source>
        <translation>no permission (add yourself to the %1 group: sudo adduser $USER %1, then log in again)</translation>
    </message>
    <message>
        <source>cannot be opened (%1)</source>
        <translation>cannot be opened (%1)</translation>
    </message>
    <message>
        <source>cannot be opened</source>
        <translation>cannot be opened</translation>
    </message>
    <message>
        <source>The device sent more than a parameter set can hold (%1); the read was stopped. What arrived is kept in %2</source>
        <translation>The device sent more than a parameter set can hold (%1); the read was stopped. What arrived is kept in %2</translation>
    </message>
    <message>
        <source>The device answers but does not reply to requests: check the transmit wire of the cable</source>
        <translation>The device answers but does not reply to requests: check the transmit wire of the cable</translation>
    </message>
    <message>
        <source>does not take the line settings (4800 baud, 8 data bits, no parity, 1 stop bit)</source>
        <translation>does not take the line settings (4800 baud, 8 data bits, no parity, 1 stop bit)</translation>
    </message>
    <message>
        <source>no answer in %1 s</source>
        <translation>no answer in %1 s</translation>
    </message>
    <message>
        <source>something answered, but not with a device identification</source>
        <translation>something answered, but not with a device identification</translation>
    </message>
    <message>
        <source>the line went away (unplugged?)</source>
        <translation>the line went away (unplugged?)</translation>
    </message>
    <message>
        <source>a device identified itself but did not answer the status request</source>
        <translation>a device identified itself but did not answer the status request</translation>
    </message>
    <message>
        <source>a device identified itself but reported error %1</source>
        <translation>a device identified itself but reported error %1</translation>
    </message>
    <message>
        <source>stopped</source>
        <translation>stopped</translation>
    </message>
    <message>
        <source>The device&apos;s identification arrived damaged (checksum mismatch); nothing was read. Start the read again.</source>
        <translation>The device&apos;s identification arrived damaged (checksum mismatch); nothing was read. Start the read again.</translation>
    </message>
    <message>
        <source>Cannot create the temporary file: %1</source>
        <translation>Cannot create the temporary file: %1</translation>
    </message>
    <message>
        <source>Cannot store the data read in %1: %2</source>
        <translation>Cannot store the data read in %1: %2</translation>
    </message>
    <message>
        <source>more than %1 system parameters</source>
        <translation>more than %1 system parameters</translation>
    </message>
    <message>
        <source>more than %1 programs</source>
        <translation>more than %1 programs</translation>
    </message>
    <message>
        <source>more than %1 parameters before the first program</source>
        <translation>more than %1 parameters before the first program</translation>
    </message>
    <message>
        <source>more than %1 parameters in program %2</source>
        <translation>more than %1 parameters in program %2</translation>
    </message>
    <message>
        <source>The data file %1 was not saved: %2</source>
        <translation>The data file %1 was not saved: %2</translation>
    </message>
    <message>
        <source>What arrived is kept in %1</source>
        <translation>What arrived is kept in %1</translation>
    </message>
    <message>
        <source>Cannot read the data file: %1</source>
        <translation>Cannot read the data file: %1</translation>
    </message>
    <message>
        <source>The file %1 is too large to be a data file</source>
        <translation>The file %1 is too large to be a data file</translation>
    </message>
    <message>
        <source>not a data file: it does not begin with an identification telegram</source>
        <translation>not a data file: it does not begin with an identification telegram</translation>
    </message>
    <message>
        <source>the frame is cut short (%1 of its %2 bytes)</source>
        <translation>the frame is cut short (%1 of its %2 bytes)</translation>
    </message>
    <message>
        <source>the frame does not end in ETX</source>
        <translation>the frame does not end in ETX</translation>
    </message>
    <message>
        <source>its checksum does not match its characters</source>
        <translation>its checksum does not match its characters</translation>
    </message>
    <message>
        <source>marked &quot; !!!&quot;: its checksum did not match when it was read</source>
        <translation>marked &quot; !!!&quot;: its checksum did not match when it was read</translation>
    </message>
    <message>
        <source>marked &quot; !!!&quot; and changed after it was read</source>
        <translation>marked &quot; !!!&quot; and changed after it was read</translation>
    </message>
    <message>
        <source>the file holds no parameter to write</source>
        <translation>the file holds no parameter to write</translation>
    </message>
    <message>
        <source>the file holds %1 programs; a device holds at most %2, and this is the first one past them</source>
        <translation>the file holds %1 programs; a device holds at most %2, and this is the first one past them</translation>
    </message>
    <message>
        <source>the file ends inside a record: it was cut short</source>
        <translation>the file ends inside a record: it was cut short</translation>
    </message>
    <message>
        <source>1 byte after the last record is no record</source>
        <translation>1 byte after the last record is no record</translation>
    </message>
    <message>
        <source>%1 bytes after the last record are no record</source>
        <translation>%1 bytes after the last record are no record</translation>
    </message>
    <message>
        <source>1 byte between two records is no record</source>
        <translation>1 byte between two records is no record</translation>
    </message>
    <message>
        <source>%1 bytes between two records are no record</source>
        <translation>%1 bytes between two records are no record</translation>
    </message>
    <message>
        <source>1 byte after its annotation &quot;%1&quot;: a read stores nothing there</source>
        <translation>1 byte after its annotation &quot;%1&quot;: a read stores nothing there</translation>
    </message>
    <message>
        <source>%1 bytes after its annotation &quot;%2&quot;: a read stores nothing there</source>
        <translation>%1 bytes after its annotation &quot;%2&quot;: a read stores nothing there</translation>
    </message>
    <message>
        <source>its annotation is not the &quot;%1&quot; a read writes after this frame</source>
        <translation>its annotation is not the &quot;%1&quot; a read writes after this frame</translation>
    </message>
    <message>
        <source>it runs into the next record without its line end (CR LF CR)</source>
        <translation>it runs into the next record without its line end (CR LF CR)</translation>
    </message>
    <message>
        <source>record %1</source>
        <translation>record %1</translation>
    </message>
    <message>
        <source>file</source>
        <translation>file</translation>
    </message>
    <message>
        <source>, system</source>
        <translation>, system</translation>
    </message>
    <message>
        <source>, program %1</source>
        <translation>, program %1</translation>
    </message>
    <message>
        <source>, letter %1</source>
        <translation>, letter %1</translation>
    </message>
    <message>
        <source>1 fault</source>
        <translation>1 fault</translation>
    </message>
    <message>
        <source>%1 faults</source>
        <translation>%1 faults</translation>
    </message>
    <message>
        <source>, 1 marked record</source>
        <translation>, 1 marked record</translation>
    </message>
    <message>
        <source>, %1 marked records</source>
        <translation>, %1 marked records</translation>
    </message>
    <message>
        <source>, cut short</source>
        <translation>, cut short</translation>
    </message>
    <message>
        <source>Nothing was sent: the file cannot be written as it stands (%1):</source>
        <translation>Nothing was sent: the file cannot be written as it stands (%1):</translation>
    </message>
    <message>
        <source>1 record is marked &quot; !!!&quot;: the value a device would get may not be the one it sent:</source>
        <translation>1 record is marked &quot; !!!&quot;: the value a device would get may not be the one it sent:</translation>
    </message>
    <message>
        <source>%1 records are marked &quot; !!!&quot;: the value a device would get may not be the one it sent:</source>
        <translation>%1 records are marked &quot; !!!&quot;: the value a device would get may not be the one it sent:</translation>
    </message>
    <message>
        <source>The file was cut short: a device would get only the frames before the cut and keep its own values for whatever followed:</source>
        <translation>The file was cut short: a device would get only the frames before the cut and keep its own values for whatever followed:</translation>
    </message>
    <message>
        <source>1 record is marked &quot; !!!&quot; and the file was cut short: the values a device would get may not be the ones it sent, and it would keep its own for whatever followed the cut:</source>
        <translation>1 record is marked &quot; !!!&quot; and the file was cut short: the values a device would get may not be the ones it sent, and it would keep its own for whatever followed the cut:</translation>
    </message>
    <message>
        <source>%1 records are marked &quot; !!!&quot; and the file was cut short: the values a device would get may not be the ones it sent, and it would keep its own for whatever followed the cut:</source>
        <translation>%1 records are marked &quot; !!!&quot; and the file was cut short: the values a device would get may not be the ones it sent, and it would keep its own for whatever followed the cut:</translation>
    </message>
    <message>
        <source>... and %1 more</source>
        <translation>... and %1 more</translation>
    </message>
    <message>
        <source>read</source>
        <translation>read</translation>
    </message>
    <message>
        <source>backup</source>
        <translation>backup</translation>
    </message>
    <message>
        <source>write</source>
        <translation>write</translation>
    </message>
    <message>
        <source>not asked</source>
        <translation>not asked</translation>
    </message>
    <message>
        <source>passed</source>
        <translation>passed</translation>
    </message>
    <message>
        <source>failed</source>
        <translation>failed</translation>
    </message>
</context>
<context>
    <name>Cable</name>
    <message>
        <source>Connection cable 3 m, shielded</source>
        <translation>Connection cable 3 m, shielded</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>3-pin plug</source>
        <translation>3-pin plug</translation>
    </message>
    <message>
        <source>9-pin D-sub socket</source>
        <translation>9-pin D-sub socket</translation>
    </message>
    <message>
        <source>shield</source>
        <translation>shield</translation>
    </message>
    <message>
        <source>shield grounded at the D-sub shell</source>
        <translation>shield grounded at the D-sub shell</translation>
    </message>
    <message>
        <source>D-sub to D-sub</source>
        <translation>D-sub to D-sub</translation>
    </message>
    <message>
        <source>9-pin D-sub</source>
        <translation>9-pin D-sub</translation>
    </message>
    <message>
        <source>TxD and RxD crossed</source>
        <translation>TxD and RxD crossed</translation>
    </message>
</context>
<context>
    <name>Info</name>
    <message>
        <source>Phone </source>
        <translation>Phone </translation>
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
        <translation>Cancel</translation>
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
