<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>EndProgram</name>
    <message>
        <source>The game is over and you have earned %1 dollars. Thank you for your participation. Please call the experimenter for further instructions.</source>
        <translation>Das Spiel ist vorbei. Sie haben %1 Dollar verdient. Vielen Dank für Ihre Teilnahme. Bitte rufen Sie die Versuchsleitung für weitere Anweisungen.</translation>
    </message>
    <message>
        <source>Nothing had been recorded yet.</source>
        <translation>Es war noch nichts aufgezeichnet.</translation>
    </message>
    <message>
        <source>No period of %1&apos;s run had been played yet.</source>
        <translation>Von %1 war noch keine Periode gespielt.</translation>
    </message>
    <message>
        <source>No period of %1&apos;s run had been completed yet.</source>
        <translation>Von %1 war noch keine Periode abgeschlossen.</translation>
    </message>
    <message>
        <source>Everything of %1&apos;s run recorded up to period %2 is kept.</source>
        <translation>Alles, was von %1 bis Periode %2 aufgezeichnet wurde, bleibt erhalten.</translation>
    </message>
    <message>
        <source>Database problem</source>
        <translation>Problem mit der Datenbank</translation>
    </message>
    <message>
        <source>The session has stopped: the experiment database could not be used.</source>
        <translation>Die Sitzung wurde beendet: Die Experiment-Datenbank konnte nicht verwendet werden.</translation>
    </message>
    <message>
        <source>Error %1: %2</source>
        <translation>Fehler %1: %2</translation>
    </message>
    <message>
        <source>Status was %1</source>
        <translation>Stand: %1</translation>
    </message>
    <message>
        <source>Please call the experimenter.</source>
        <translation>Bitte rufen Sie die Versuchsleitung.</translation>
    </message>
</context>
<context>
    <name>MessageBox</name>
    <message>
        <source>&amp;Yes</source>
        <translation>&amp;Ja</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>&amp;Nein</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>RunClaim</name>
    <message>
        <source>%1 is playing version %2 on station %3 (last seen at %4). A participant plays on one station at a time.<byte value="xd"/>
If that station has stopped, the run can continue here %5 seconds after it was last seen.<byte value="xd"/>
Please call the experimenter.</source>
        <translation>%1 spielt Version %2 an Station %3 (zuletzt gesehen um %4). Man spielt immer nur an einer Station.<byte value="xd"/>
Ist jene Station stehen geblieben, kann es hier %5 Sekunden nach ihrem letzten Lebenszeichen weitergehen.<byte value="xd"/>
Bitte rufen Sie die Versuchsleitung.</translation>
    </message>
</context>
<context>
    <name>TableAccess</name>
    <message>
        <source>Error %1: %2</source>
        <translation>Fehler %1: %2</translation>
    </message>
    <message>
        <source>Status was %1</source>
        <translation>Stand: %1</translation>
    </message>
    <message>
        <source>Retry?</source>
        <translation>Erneut versuchen?</translation>
    </message>
    <message>
        <source>Problems opening table</source>
        <translation>Problem beim Öffnen einer Tabelle</translation>
    </message>
    <message>
        <source>Retry? (No to quit)</source>
        <translation>Erneut versuchen? (Nein: beenden)</translation>
    </message>
</context>
<context>
    <name>frmHydrovat</name>
    <message>
        <source>Time Period</source>
        <translation>Periode</translation>
    </message>
    <message>
        <source>of</source>
        <translation>von</translation>
    </message>
    <message>
        <source>Goal</source>
        <translation>Ziel</translation>
    </message>
    <message>
        <source>User Inflow</source>
        <translation>Ihr Zufluss</translation>
    </message>
    <message>
        <source>Environment Inflow</source>
        <translation>Zufluss Umwelt</translation>
    </message>
    <message>
        <source>User Outflow</source>
        <translation>Ihr Abfluss</translation>
    </message>
    <message>
        <source>Environment Outflow</source>
        <translation>Abfluss Umwelt</translation>
    </message>
    <message>
        <source>Department Store</source>
        <translation>Kaufhaus</translation>
    </message>
    <message>
        <source>Make Decision-&gt;</source>
        <translation>Entscheiden-&gt;</translation>
    </message>
    <message>
        <source>Submit</source>
        <translation>Absenden</translation>
    </message>
    <message>
        <source>Current bonus for the time period is:</source>
        <translation>Bonus in dieser Periode:</translation>
    </message>
    <message>
        <source>Total money to be paid at the end:</source>
        <translation>Auszahlung am Ende insgesamt:</translation>
    </message>
    <message>
        <source>Back Order (Gallons):</source>
        <translation>Zufluss offen (Gal.):</translation>
    </message>
    <message>
        <source>Dch Order (Gallons):</source>
        <translation>Abfluss offen (Gal.):</translation>
    </message>
    <message>
        <source>Env InFlow(%1/Hour):</source>
        <translation>Zufluss Umwelt(%1/Std.):</translation>
    </message>
    <message>
        <source>Env OutFlow(%1/Hour):</source>
        <translation>Abfluss Umwelt(%1/Std.):</translation>
    </message>
    <message>
        <source>UserInFlow(%1/Hour):</source>
        <translation>Ihr Zufluss(%1/Std.):</translation>
    </message>
    <message>
        <source>UserOutFlow(%1/Hour):</source>
        <translation>Ihr Abfluss(%1/Std.):</translation>
    </message>
    <message>
        <source>Goal(%1):</source>
        <translation>Ziel(%1):</translation>
    </message>
    <message>
        <source>Amount in Tank(%1):</source>
        <translation>Menge im Tank(%1):</translation>
    </message>
    <message>
        <source>Amount(%1):</source>
        <translation>Menge(%1):</translation>
    </message>
    <message>
        <source>Enter the Inflow(%1/Hour):</source>
        <translation>Zufluss eingeben(%1/Std.):</translation>
    </message>
    <message>
        <source>Enter the Outflow(%1/Hour):</source>
        <translation>Abfluss eingeben(%1/Std.):</translation>
    </message>
    <message>
        <source>Are you sure you want to exit?</source>
        <translation>Wollen Sie das Programm wirklich beenden?</translation>
    </message>
    <message>
        <source>Exit Application</source>
        <translation>Programm beenden</translation>
    </message>
</context>
<context>
    <name>frmLogin</name>
    <message>
        <source>No version of the experiment is set up: the table tblSetup of the experiment database is empty.<byte value="xd"/>
%1<byte value="xd"/>
Please call the experimenter.</source>
        <translation>Es ist keine Version des Experiments eingerichtet: Die Tabelle tblSetup der Experiment-Datenbank ist leer.<byte value="xd"/>
%1<byte value="xd"/>
Bitte rufen Sie die Versuchsleitung.</translation>
    </message>
    <message>
        <source>The records of %1 in version %2 cannot be read, so the run can neither continue nor start again under this name.<byte value="xd"/>
Error %3: %4<byte value="xd"/>
Please call the experimenter.</source>
        <translation>Die Aufzeichnungen von %1 in Version %2 können nicht gelesen werden; es kann unter diesem Namen weder weitergehen noch neu beginnen.<byte value="xd"/>
Fehler %3: %4<byte value="xd"/>
Bitte rufen Sie die Versuchsleitung.</translation>
    </message>
    <message>
        <source>Welcome</source>
        <translation>Willkommen</translation>
    </message>
    <message>
        <source>Login: </source>
        <translation>Name: </translation>
    </message>
    <message>
        <source>Version:</source>
        <translation>Version:</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Continue with Trial #%1</source>
        <translation>Weiter mit Periode %1</translation>
    </message>
    <message>
        <source>Login %1 already used</source>
        <translation>Name %1 wird schon verwendet</translation>
    </message>
</context>
<context>
    <name>frmNewSubject</name>
    <message>
        <source>Architecture</source>
        <translation>Architektur</translation>
    </message>
    <message>
        <source>Art</source>
        <translation>Kunst</translation>
    </message>
    <message>
        <source>Biological Sciences</source>
        <translation>Biowissenschaften</translation>
    </message>
    <message>
        <source>Business</source>
        <translation>Betriebswirtschaft</translation>
    </message>
    <message>
        <source>Chemical Engineering</source>
        <translation>Chemieingenieurwesen</translation>
    </message>
    <message>
        <source>Chemistry</source>
        <translation>Chemie</translation>
    </message>
    <message>
        <source>Civil &amp; Environmental Engineering</source>
        <translation>Bau- &amp; Umweltingenieurwesen</translation>
    </message>
    <message>
        <source>Computer Science</source>
        <translation>Informatik</translation>
    </message>
    <message>
        <source>Design</source>
        <translation>Design</translation>
    </message>
    <message>
        <source>Drama</source>
        <translation>Theater</translation>
    </message>
    <message>
        <source>Economics</source>
        <translation>Volkswirtschaft</translation>
    </message>
    <message>
        <source>Electrical &amp; Computer Engineering</source>
        <translation>Elektro- &amp; Informationstechnik</translation>
    </message>
    <message>
        <source>Engineering &amp; Public Policy</source>
        <translation>Technik &amp; öffentliche Politik</translation>
    </message>
    <message>
        <source>English</source>
        <translation>Anglistik</translation>
    </message>
    <message>
        <source>History</source>
        <translation>Geschichte</translation>
    </message>
    <message>
        <source>Industrial Management</source>
        <translation>Wirtschaftsingenieurwesen</translation>
    </message>
    <message>
        <source>Materials Science &amp; Engineering</source>
        <translation>Werkstoffwissenschaften</translation>
    </message>
    <message>
        <source>Mathematical Sciences</source>
        <translation>Mathematik</translation>
    </message>
    <message>
        <source>Mechanical Engineering</source>
        <translation>Maschinenbau</translation>
    </message>
    <message>
        <source>Music</source>
        <translation>Musik</translation>
    </message>
    <message>
        <source>Modern Languages</source>
        <translation>Neuere Sprachen</translation>
    </message>
    <message>
        <source>Philosophy</source>
        <translation>Philosophie</translation>
    </message>
    <message>
        <source>Physics</source>
        <translation>Physik</translation>
    </message>
    <message>
        <source>Psychology</source>
        <translation>Psychologie</translation>
    </message>
    <message>
        <source>Social &amp; Decision Sciences</source>
        <translation>Sozial-/Entscheidungswissenschaft</translation>
    </message>
    <message>
        <source>Statistics</source>
        <translation>Statistik</translation>
    </message>
    <message>
        <source>Other</source>
        <translation>Anderes</translation>
    </message>
    <message>
        <source>Subject Info: </source>
        <translation>Angaben zur Person: </translation>
    </message>
    <message>
        <source>Age:</source>
        <translation>Alter:</translation>
    </message>
    <message>
        <source>Gender</source>
        <translation>Geschlecht</translation>
    </message>
    <message>
        <source>Female</source>
        <translation>Frau</translation>
    </message>
    <message>
        <source>Male</source>
        <translation>Mann</translation>
    </message>
    <message>
        <source>Begin</source>
        <translation>Beginnen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Major</source>
        <translation>Studienfach</translation>
    </message>
    <message>
        <source>The name %1 was registered in version %2 on another station a moment ago. Two participants cannot share a name.<byte value="xd"/>
Please choose another name, or call the experimenter.</source>
        <translation>Der Name %1 wurde soeben an einer anderen Station für Version %2 angemeldet. Zwei Teilnehmende können nicht denselben Namen haben.<byte value="xd"/>
Bitte wählen Sie einen anderen Namen oder rufen Sie die Versuchsleitung.</translation>
    </message>
</context>
<context>
    <name>frmPasswordAuth</name>
    <message>
        <source>The password could not be checked: %1.</source>
        <translation>Das Passwort konnte nicht geprüft werden: %1.</translation>
    </message>
    <message>
        <source>the database reported error %1 (%2)</source>
        <translation>die Datenbank meldete Fehler %1 (%2)</translation>
    </message>
    <message>
        <source>Authentication</source>
        <translation>Anmeldung</translation>
    </message>
    <message>
        <source>Username</source>
        <translation>Benutzername</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Passwort</translation>
    </message>
    <message>
        <source>Exit Application</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Please enter Username</source>
        <translation>Bitte Benutzernamen eingeben</translation>
    </message>
    <message>
        <source>Please enter Password</source>
        <translation>Bitte Passwort eingeben</translation>
    </message>
    <message>
        <source>Username or Password is incorrect. Please try again</source>
        <translation>Benutzername oder Passwort ist falsch. Bitte versuchen Sie es erneut</translation>
    </message>
    <message>
        <source>Password Incorrect</source>
        <translation>Falsches Passwort</translation>
    </message>
</context>
<context>
    <name>frmSplash</name>
    <message>
        <source>Made by the Fluxmere project</source>
        <translation>Vom Fluxmere-Projekt</translation>
    </message>
    <message>
        <source>Credits: the Fluxmere contributors, with Qt and SQLCipher</source>
        <translation>Mitwirkende: das Fluxmere-Team, mit Qt und SQLCipher</translation>
    </message>
    <message>
        <source>Version 11</source>
        <translation>Version 11</translation>
    </message>
    <message>
        <source>For permitted research use only: run this program within an approved study, with the informed consent of its participants.</source>
        <translation>Nur für zulässige Forschung: Verwenden Sie dieses Programm nur in einer genehmigten Studie, mit der informierten Einwilligung der Teilnehmenden.</translation>
    </message>
</context>
</TS>
