<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>VUVararer::App</name>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
</context>
</TS>
