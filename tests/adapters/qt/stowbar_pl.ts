<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" sourcelanguage="en" language="pl">
<context>
    <name>Stowbar</name>
    <message numerus="yes">
        <source>%lld Hidden Items</source>
        <translation>
            <numerusform>%lld ukryty element</numerusform>
            <numerusform>%lld ukryte elementy</numerusform>
            <numerusform>%lld ukrytych elementów</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%lld of %lld Hidden Items</source>
        <translation>
            <numerusform>%lld z %lld ukrytego elementu</numerusform>
            <numerusform>%lld z %lld ukrytych elementów</numerusform>
            <numerusform>%lld z %lld ukrytych elementów</numerusform>
        </translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Zakończ</translation>
    </message>
</context>
</TS>
