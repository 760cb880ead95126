<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>VUVararer::Common</name>
    <message>
        <source>About</source>
        <translation>Über die Bibliothek</translation>
    </message>
</context>
</TS>
