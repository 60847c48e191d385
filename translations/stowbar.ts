<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" sourcelanguage="en">
<context>
    <name>Stowbar</name>
    <message>
        <source>Accessibility Access Required</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stowbar needs Accessibility access to identify and interact with hidden icons.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Full Disk Access Required</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>macOS 26+ stores the list of hidden menu bar items in a protected file. Stowbar needs Full Disk Access to read it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Scanning menu bar items…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No hidden items found</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hide menu bar icons in System Settings → Menu Bar → Allow in the Menu Bar</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%lld Hidden Items</source>
        <translation type="unfinished">
            <numerusform></numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%lld of %lld Hidden Items</source>
        <translation type="unfinished">
            <numerusform></numerusform>
        </translation>
    </message>
    <message>
        <source>Updates</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hidden menu bar item</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Scanning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Accessibility</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Full Disk Access</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No hidden items</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Application</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Approval Required</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>macOS requires approval before Stowbar can launch at login. Check System Settings &gt; General &gt; Login Items.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
