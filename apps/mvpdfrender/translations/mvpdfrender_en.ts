<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>Tool</name>
    <message numerus="yes">
        <source>%n page(s) written</source>
        <translation>
            <numerusform>%n page written</numerusform>
            <numerusform>%n pages written</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>wrote %1 (%n page(s))</source>
        <translation>
            <numerusform>wrote %1 (%n page)</numerusform>
            <numerusform>wrote %1 (%n pages)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1: invalid UTF-8 on line(s) %2</source>
        <translation>
            <numerusform>%1: invalid UTF-8 on line %2</numerusform>
            <numerusform>%1: invalid UTF-8 on lines %2</numerusform>
        </translation>
    </message>
</context>
</TS>
