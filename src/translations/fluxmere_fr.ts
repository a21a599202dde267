<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>EndProgram</name>
    <message>
        <source>The game is over and you have earned %1 dollars. Thank you for your participation. Please call the experimenter for further instructions.</source>
        <translation>Le jeu est terminé et vous avez gagné %1 dollars. Merci de votre participation. Veuillez appeler l&apos;expérimentateur pour la suite des instructions.</translation>
    </message>
    <message>
        <source>Nothing had been recorded yet.</source>
        <translation>Rien n&apos;avait encore été enregistré.</translation>
    </message>
    <message>
        <source>No period of %1&apos;s run had been played yet.</source>
        <translation>%1 n&apos;avait encore joué aucune période.</translation>
    </message>
    <message>
        <source>No period of %1&apos;s run had been completed yet.</source>
        <translation>%1 n&apos;avait encore terminé aucune période.</translation>
    </message>
    <message>
        <source>Everything of %1&apos;s run recorded up to period %2 is kept.</source>
        <translation>Tout ce qui a été enregistré pour %1 jusqu&apos;à la période %2 est conservé.</translation>
    </message>
    <message>
        <source>Database problem</source>
        <translation>Problème de base de données</translation>
    </message>
    <message>
        <source>The session has stopped: the experiment database could not be used.</source>
        <translation>La session s&apos;est arrêtée : la base de données de l&apos;expérience n&apos;a pas pu être utilisée.</translation>
    </message>
    <message>
        <source>Error %1: %2</source>
        <translation>Erreur %1 : %2</translation>
    </message>
    <message>
        <source>Status was %1</source>
        <translation>État : %1</translation>
    </message>
    <message>
        <source>Please call the experimenter.</source>
        <translation>Veuillez appeler l&apos;expérimentateur.</translation>
    </message>
</context>
<context>
    <name>MessageBox</name>
    <message>
        <source>&amp;Yes</source>
        <translation>&amp;Oui</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>&amp;Non</translation>
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
        <translation>%1 joue la version %2 sur le poste %3 (vu pour la dernière fois à %4). Chaque participant joue sur un seul poste à la fois.<byte value="xd"/>
Si ce poste s&apos;est arrêté, la partie peut reprendre ici %5 secondes après son dernier signe.<byte value="xd"/>
Veuillez appeler l&apos;expérimentateur.</translation>
    </message>
</context>
<context>
    <name>TableAccess</name>
    <message>
        <source>Error %1: %2</source>
        <translation>Erreur %1 : %2</translation>
    </message>
    <message>
        <source>Status was %1</source>
        <translation>État : %1</translation>
    </message>
    <message>
        <source>Retry?</source>
        <translation>Réessayer ?</translation>
    </message>
    <message>
        <source>Problems opening table</source>
        <translation>Problème à l&apos;ouverture d&apos;une table</translation>
    </message>
    <message>
        <source>Retry? (No to quit)</source>
        <translation>Réessayer ? (Non : quitter)</translation>
    </message>
</context>
<context>
    <name>frmHydrovat</name>
    <message>
        <source>Time Period</source>
        <translation>Période</translation>
    </message>
    <message>
        <source>of</source>
        <translation>sur</translation>
    </message>
    <message>
        <source>Goal</source>
        <translation>Cible</translation>
    </message>
    <message>
        <source>User Inflow</source>
        <translation>Vos entrées</translation>
    </message>
    <message>
        <source>Environment Inflow</source>
        <translation>Entrée extérieure</translation>
    </message>
    <message>
        <source>User Outflow</source>
        <translation>Vos sorties</translation>
    </message>
    <message>
        <source>Environment Outflow</source>
        <translation>Sortie extérieure</translation>
    </message>
    <message>
        <source>Department Store</source>
        <translation>Grand magasin</translation>
    </message>
    <message>
        <source>Make Decision-&gt;</source>
        <translation>Décidez-&gt;</translation>
    </message>
    <message>
        <source>Submit</source>
        <translation>Valider</translation>
    </message>
    <message>
        <source>Current bonus for the time period is:</source>
        <translation>Bonus de cette période :</translation>
    </message>
    <message>
        <source>Total money to be paid at the end:</source>
        <translation>Total versé à la fin :</translation>
    </message>
    <message>
        <source>Back Order (Gallons):</source>
        <translation>À entrer (gal.) :</translation>
    </message>
    <message>
        <source>Dch Order (Gallons):</source>
        <translation>À sortir (gal.) :</translation>
    </message>
    <message>
        <source>Env InFlow(%1/Hour):</source>
        <translation>Entrée ext.(%1/heure) :</translation>
    </message>
    <message>
        <source>Env OutFlow(%1/Hour):</source>
        <translation>Sortie ext.(%1/heure) :</translation>
    </message>
    <message>
        <source>UserInFlow(%1/Hour):</source>
        <translation>Vos entrées(%1/heure) :</translation>
    </message>
    <message>
        <source>UserOutFlow(%1/Hour):</source>
        <translation>Vos sorties(%1/heure) :</translation>
    </message>
    <message>
        <source>Goal(%1):</source>
        <translation>Objectif(%1) :</translation>
    </message>
    <message>
        <source>Amount in Tank(%1):</source>
        <translation>Quantité en cuve(%1) :</translation>
    </message>
    <message>
        <source>Amount(%1):</source>
        <translation>Quantité(%1) :</translation>
    </message>
    <message>
        <source>Enter the Inflow(%1/Hour):</source>
        <translation>Saisissez l&apos;entrée(%1/heure) :</translation>
    </message>
    <message>
        <source>Enter the Outflow(%1/Hour):</source>
        <translation>Saisissez la sortie(%1/heure) :</translation>
    </message>
    <message>
        <source>Are you sure you want to exit?</source>
        <translation>Voulez-vous vraiment quitter ?</translation>
    </message>
    <message>
        <source>Exit Application</source>
        <translation>Quitter le programme</translation>
    </message>
</context>
<context>
    <name>frmLogin</name>
    <message>
        <source>No version of the experiment is set up: the table tblSetup of the experiment database is empty.<byte value="xd"/>
%1<byte value="xd"/>
Please call the experimenter.</source>
        <translation>Aucune version de l&apos;expérience n&apos;est configurée : la table tblSetup de la base de données de l&apos;expérience est vide.<byte value="xd"/>
%1<byte value="xd"/>
Veuillez appeler l&apos;expérimentateur.</translation>
    </message>
    <message>
        <source>The records of %1 in version %2 cannot be read, so the run can neither continue nor start again under this name.<byte value="xd"/>
Error %3: %4<byte value="xd"/>
Please call the experimenter.</source>
        <translation>Les enregistrements de %1 dans la version %2 sont illisibles : la partie ne peut ni reprendre ni recommencer sous ce nom.<byte value="xd"/>
Erreur %3 : %4<byte value="xd"/>
Veuillez appeler l&apos;expérimentateur.</translation>
    </message>
    <message>
        <source>Welcome</source>
        <translation>Bienvenue</translation>
    </message>
    <message>
        <source>Login: </source>
        <translation>Nom : </translation>
    </message>
    <message>
        <source>Version:</source>
        <translation>Version :</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Commencer</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Quitter</translation>
    </message>
    <message>
        <source>Continue with Trial #%1</source>
        <translation>Continuer à la période %1</translation>
    </message>
    <message>
        <source>Login %1 already used</source>
        <translation>Le nom %1 est déjà utilisé</translation>
    </message>
</context>
<context>
    <name>frmNewSubject</name>
    <message>
        <source>Architecture</source>
        <translation>Architecture</translation>
    </message>
    <message>
        <source>Art</source>
        <translation>Art</translation>
    </message>
    <message>
        <source>Biological Sciences</source>
        <translation>Sciences biologiques</translation>
    </message>
    <message>
        <source>Business</source>
        <translation>Gestion</translation>
    </message>
    <message>
        <source>Chemical Engineering</source>
        <translation>Génie chimique</translation>
    </message>
    <message>
        <source>Chemistry</source>
        <translation>Chimie</translation>
    </message>
    <message>
        <source>Civil &amp; Environmental Engineering</source>
        <translation>Génie civil et environnemental</translation>
    </message>
    <message>
        <source>Computer Science</source>
        <translation>Informatique</translation>
    </message>
    <message>
        <source>Design</source>
        <translation>Design</translation>
    </message>
    <message>
        <source>Drama</source>
        <translation>Théâtre</translation>
    </message>
    <message>
        <source>Economics</source>
        <translation>Économie</translation>
    </message>
    <message>
        <source>Electrical &amp; Computer Engineering</source>
        <translation>Génie électrique et informatique</translation>
    </message>
    <message>
        <source>Engineering &amp; Public Policy</source>
        <translation>Ingénierie et politiques publiques</translation>
    </message>
    <message>
        <source>English</source>
        <translation>Anglais</translation>
    </message>
    <message>
        <source>History</source>
        <translation>Histoire</translation>
    </message>
    <message>
        <source>Industrial Management</source>
        <translation>Gestion industrielle</translation>
    </message>
    <message>
        <source>Materials Science &amp; Engineering</source>
        <translation>Science et génie des matériaux</translation>
    </message>
    <message>
        <source>Mathematical Sciences</source>
        <translation>Mathématiques</translation>
    </message>
    <message>
        <source>Mechanical Engineering</source>
        <translation>Génie mécanique</translation>
    </message>
    <message>
        <source>Music</source>
        <translation>Musique</translation>
    </message>
    <message>
        <source>Modern Languages</source>
        <translation>Langues vivantes</translation>
    </message>
    <message>
        <source>Philosophy</source>
        <translation>Philosophie</translation>
    </message>
    <message>
        <source>Physics</source>
        <translation>Physique</translation>
    </message>
    <message>
        <source>Psychology</source>
        <translation>Psychologie</translation>
    </message>
    <message>
        <source>Social &amp; Decision Sciences</source>
        <translation>Sciences sociales et de la décision</translation>
    </message>
    <message>
        <source>Statistics</source>
        <translation>Statistique</translation>
    </message>
    <message>
        <source>Other</source>
        <translation>Autre</translation>
    </message>
    <message>
        <source>Subject Info: </source>
        <translation>Informations : </translation>
    </message>
    <message>
        <source>Age:</source>
        <translation>Âge :</translation>
    </message>
    <message>
        <source>Gender</source>
        <translation>Sexe</translation>
    </message>
    <message>
        <source>Female</source>
        <translation>Femme</translation>
    </message>
    <message>
        <source>Male</source>
        <translation>Homme</translation>
    </message>
    <message>
        <source>Begin</source>
        <translation>Commencer</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Major</source>
        <translation>Filière</translation>
    </message>
    <message>
        <source>The name %1 was registered in version %2 on another station a moment ago. Two participants cannot share a name.<byte value="xd"/>
Please choose another name, or call the experimenter.</source>
        <translation>Le nom %1 vient d&apos;être enregistré dans la version %2 sur un autre poste. Deux participants ne peuvent pas avoir le même nom.<byte value="xd"/>
Veuillez choisir un autre nom ou appeler l&apos;expérimentateur.</translation>
    </message>
</context>
<context>
    <name>frmPasswordAuth</name>
    <message>
        <source>The password could not be checked: %1.</source>
        <translation>Le mot de passe n&apos;a pas pu être vérifié : %1.</translation>
    </message>
    <message>
        <source>the database reported error %1 (%2)</source>
        <translation>la base de données a signalé l&apos;erreur %1 (%2)</translation>
    </message>
    <message>
        <source>Authentication</source>
        <translation>Authentification</translation>
    </message>
    <message>
        <source>Username</source>
        <translation>Utilisateur</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Mot de passe</translation>
    </message>
    <message>
        <source>Exit Application</source>
        <translation>Quitter</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Please enter Username</source>
        <translation>Veuillez saisir l&apos;utilisateur</translation>
    </message>
    <message>
        <source>Please enter Password</source>
        <translation>Veuillez saisir le mot de passe</translation>
    </message>
    <message>
        <source>Username or Password is incorrect. Please try again</source>
        <translation>Utilisateur ou mot de passe incorrect. Veuillez réessayer</translation>
    </message>
    <message>
        <source>Password Incorrect</source>
        <translation>Mot de passe incorrect</translation>
    </message>
</context>
<context>
    <name>frmSplash</name>
    <message>
        <source>Made by the Fluxmere project</source>
        <translation>Réalisé par le projet Fluxmere</translation>
    </message>
    <message>
        <source>Credits: the Fluxmere contributors, with Qt and SQLCipher</source>
        <translation>Crédits : les contributeurs de Fluxmere, avec Qt et SQLCipher</translation>
    </message>
    <message>
        <source>Version 11</source>
        <translation>Version 11</translation>
    </message>
    <message>
        <source>For permitted research use only: run this program within an approved study, with the informed consent of its participants.</source>
        <translation>Réservé à la recherche autorisée : utilisez ce programme dans une étude approuvée, avec le consentement éclairé de ses participants.</translation>
    </message>
</context>
</TS>
