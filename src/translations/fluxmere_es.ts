<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es">
<context>
    <name>EndProgram</name>
    <message>
        <source>The game is over and you have earned %1 dollars. Thank you for your participation. Please call the experimenter for further instructions.</source>
        <translation>El juego ha terminado y ha ganado %1 dólares. Gracias por su participación. Por favor, avise al experimentador para recibir más instrucciones.</translation>
    </message>
    <message>
        <source>Nothing had been recorded yet.</source>
        <translation>Aún no se había registrado nada.</translation>
    </message>
    <message>
        <source>No period of %1&apos;s run had been played yet.</source>
        <translation>%1 aún no había jugado ningún periodo.</translation>
    </message>
    <message>
        <source>No period of %1&apos;s run had been completed yet.</source>
        <translation>%1 aún no había completado ningún periodo.</translation>
    </message>
    <message>
        <source>Everything of %1&apos;s run recorded up to period %2 is kept.</source>
        <translation>Se conserva todo lo registrado de %1 hasta el periodo %2.</translation>
    </message>
    <message>
        <source>Database problem</source>
        <translation>Problema con la base de datos</translation>
    </message>
    <message>
        <source>The session has stopped: the experiment database could not be used.</source>
        <translation>La sesión se ha detenido: no se pudo usar la base de datos del experimento.</translation>
    </message>
    <message>
        <source>Error %1: %2</source>
        <translation>Error %1: %2</translation>
    </message>
    <message>
        <source>Status was %1</source>
        <translation>Estado: %1</translation>
    </message>
    <message>
        <source>Please call the experimenter.</source>
        <translation>Por favor, avise al experimentador.</translation>
    </message>
</context>
<context>
    <name>MessageBox</name>
    <message>
        <source>&amp;Yes</source>
        <translation>&amp;Sí</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
</context>
<context>
    <name>RunClaim</name>
    <message>
        <source>%1 is playing version %2 on station %3 (last seen at %4). A participant plays on one station at a time.<byte value="xd"/>
If that station has stopped, the run can continue here %5 seconds after it was last seen.<byte value="xd"/>
Please call the experimenter.</source>
        <translation>%1 está jugando la versión %2 en el puesto %3 (visto por última vez a las %4). Cada participante juega en un solo puesto a la vez.<byte value="xd"/>
Si ese puesto se ha detenido, la sesión puede continuar aquí %5 segundos después de su última señal.<byte value="xd"/>
Por favor, avise al experimentador.</translation>
    </message>
</context>
<context>
    <name>TableAccess</name>
    <message>
        <source>Error %1: %2</source>
        <translation>Error %1: %2</translation>
    </message>
    <message>
        <source>Status was %1</source>
        <translation>Estado: %1</translation>
    </message>
    <message>
        <source>Retry?</source>
        <translation>¿Reintentar?</translation>
    </message>
    <message>
        <source>Problems opening table</source>
        <translation>Problema al abrir una tabla</translation>
    </message>
    <message>
        <source>Retry? (No to quit)</source>
        <translation>¿Reintentar? (No: salir)</translation>
    </message>
</context>
<context>
    <name>frmHydrovat</name>
    <message>
        <source>Time Period</source>
        <translation>Periodo</translation>
    </message>
    <message>
        <source>of</source>
        <translation>de</translation>
    </message>
    <message>
        <source>Goal</source>
        <translation>Meta</translation>
    </message>
    <message>
        <source>User Inflow</source>
        <translation>Su entrada</translation>
    </message>
    <message>
        <source>Environment Inflow</source>
        <translation>Entrada entorno</translation>
    </message>
    <message>
        <source>User Outflow</source>
        <translation>Su salida</translation>
    </message>
    <message>
        <source>Environment Outflow</source>
        <translation>Salida entorno</translation>
    </message>
    <message>
        <source>Department Store</source>
        <translation>Gran almacén</translation>
    </message>
    <message>
        <source>Make Decision-&gt;</source>
        <translation>Decida-&gt;</translation>
    </message>
    <message>
        <source>Submit</source>
        <translation>Enviar</translation>
    </message>
    <message>
        <source>Current bonus for the time period is:</source>
        <translation>Bono de este periodo:</translation>
    </message>
    <message>
        <source>Total money to be paid at the end:</source>
        <translation>Total a pagar al final:</translation>
    </message>
    <message>
        <source>Back Order (Gallons):</source>
        <translation>Por entrar (gal.):</translation>
    </message>
    <message>
        <source>Dch Order (Gallons):</source>
        <translation>Por salir (gal.):</translation>
    </message>
    <message>
        <source>Env InFlow(%1/Hour):</source>
        <translation>Entrada entorno(%1/hora):</translation>
    </message>
    <message>
        <source>Env OutFlow(%1/Hour):</source>
        <translation>Salida entorno(%1/hora):</translation>
    </message>
    <message>
        <source>UserInFlow(%1/Hour):</source>
        <translation>Su entrada(%1/hora):</translation>
    </message>
    <message>
        <source>UserOutFlow(%1/Hour):</source>
        <translation>Su salida(%1/hora):</translation>
    </message>
    <message>
        <source>Goal(%1):</source>
        <translation>Meta(%1):</translation>
    </message>
    <message>
        <source>Amount in Tank(%1):</source>
        <translation>En el tanque(%1):</translation>
    </message>
    <message>
        <source>Amount(%1):</source>
        <translation>Cantidad(%1):</translation>
    </message>
    <message>
        <source>Enter the Inflow(%1/Hour):</source>
        <translation>Escriba la entrada(%1/hora):</translation>
    </message>
    <message>
        <source>Enter the Outflow(%1/Hour):</source>
        <translation>Escriba la salida(%1/hora):</translation>
    </message>
    <message>
        <source>Are you sure you want to exit?</source>
        <translation>¿Seguro que desea salir?</translation>
    </message>
    <message>
        <source>Exit Application</source>
        <translation>Salir del programa</translation>
    </message>
</context>
<context>
    <name>frmLogin</name>
    <message>
        <source>No version of the experiment is set up: the table tblSetup of the experiment database is empty.<byte value="xd"/>
%1<byte value="xd"/>
Please call the experimenter.</source>
        <translation>No hay ninguna versión del experimento configurada: la tabla tblSetup de la base de datos del experimento está vacía.<byte value="xd"/>
%1<byte value="xd"/>
Por favor, avise al experimentador.</translation>
    </message>
    <message>
        <source>The records of %1 in version %2 cannot be read, so the run can neither continue nor start again under this name.<byte value="xd"/>
Error %3: %4<byte value="xd"/>
Please call the experimenter.</source>
        <translation>No se pueden leer los registros de %1 en la versión %2, así que no se puede continuar ni empezar de nuevo con este nombre.<byte value="xd"/>
Error %3: %4<byte value="xd"/>
Por favor, avise al experimentador.</translation>
    </message>
    <message>
        <source>Welcome</source>
        <translation>Bienvenida</translation>
    </message>
    <message>
        <source>Login: </source>
        <translation>Nombre: </translation>
    </message>
    <message>
        <source>Version:</source>
        <translation>Versión:</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Empezar</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Salir</translation>
    </message>
    <message>
        <source>Continue with Trial #%1</source>
        <translation>Continuar con el periodo %1</translation>
    </message>
    <message>
        <source>Login %1 already used</source>
        <translation>El nombre %1 ya está en uso</translation>
    </message>
</context>
<context>
    <name>frmNewSubject</name>
    <message>
        <source>Architecture</source>
        <translation>Arquitectura</translation>
    </message>
    <message>
        <source>Art</source>
        <translation>Arte</translation>
    </message>
    <message>
        <source>Biological Sciences</source>
        <translation>Ciencias biológicas</translation>
    </message>
    <message>
        <source>Business</source>
        <translation>Administración de empresas</translation>
    </message>
    <message>
        <source>Chemical Engineering</source>
        <translation>Ingeniería química</translation>
    </message>
    <message>
        <source>Chemistry</source>
        <translation>Química</translation>
    </message>
    <message>
        <source>Civil &amp; Environmental Engineering</source>
        <translation>Ingeniería civil y ambiental</translation>
    </message>
    <message>
        <source>Computer Science</source>
        <translation>Informática</translation>
    </message>
    <message>
        <source>Design</source>
        <translation>Diseño</translation>
    </message>
    <message>
        <source>Drama</source>
        <translation>Teatro</translation>
    </message>
    <message>
        <source>Economics</source>
        <translation>Economía</translation>
    </message>
    <message>
        <source>Electrical &amp; Computer Engineering</source>
        <translation>Ingeniería eléctrica e informática</translation>
    </message>
    <message>
        <source>Engineering &amp; Public Policy</source>
        <translation>Ingeniería y políticas públicas</translation>
    </message>
    <message>
        <source>English</source>
        <translation>Filología inglesa</translation>
    </message>
    <message>
        <source>History</source>
        <translation>Historia</translation>
    </message>
    <message>
        <source>Industrial Management</source>
        <translation>Gestión industrial</translation>
    </message>
    <message>
        <source>Materials Science &amp; Engineering</source>
        <translation>Ciencia e ingeniería de materiales</translation>
    </message>
    <message>
        <source>Mathematical Sciences</source>
        <translation>Matemáticas</translation>
    </message>
    <message>
        <source>Mechanical Engineering</source>
        <translation>Ingeniería mecánica</translation>
    </message>
    <message>
        <source>Music</source>
        <translation>Música</translation>
    </message>
    <message>
        <source>Modern Languages</source>
        <translation>Lenguas modernas</translation>
    </message>
    <message>
        <source>Philosophy</source>
        <translation>Filosofía</translation>
    </message>
    <message>
        <source>Physics</source>
        <translation>Física</translation>
    </message>
    <message>
        <source>Psychology</source>
        <translation>Psicología</translation>
    </message>
    <message>
        <source>Social &amp; Decision Sciences</source>
        <translation>Ciencias sociales y de la decisión</translation>
    </message>
    <message>
        <source>Statistics</source>
        <translation>Estadística</translation>
    </message>
    <message>
        <source>Other</source>
        <translation>Otra</translation>
    </message>
    <message>
        <source>Subject Info: </source>
        <translation>Datos personales: </translation>
    </message>
    <message>
        <source>Age:</source>
        <translation>Edad:</translation>
    </message>
    <message>
        <source>Gender</source>
        <translation>Sexo</translation>
    </message>
    <message>
        <source>Female</source>
        <translation>Mujer</translation>
    </message>
    <message>
        <source>Male</source>
        <translation>Hombre</translation>
    </message>
    <message>
        <source>Begin</source>
        <translation>Empezar</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>Major</source>
        <translation>Carrera</translation>
    </message>
    <message>
        <source>The name %1 was registered in version %2 on another station a moment ago. Two participants cannot share a name.<byte value="xd"/>
Please choose another name, or call the experimenter.</source>
        <translation>El nombre %1 acaba de registrarse en la versión %2 en otro puesto. Dos participantes no pueden compartir un nombre.<byte value="xd"/>
Elija otro nombre o avise al experimentador.</translation>
    </message>
</context>
<context>
    <name>frmPasswordAuth</name>
    <message>
        <source>The password could not be checked: %1.</source>
        <translation>No se pudo comprobar la contraseña: %1.</translation>
    </message>
    <message>
        <source>the database reported error %1 (%2)</source>
        <translation>la base de datos informó del error %1 (%2)</translation>
    </message>
    <message>
        <source>Authentication</source>
        <translation>Autenticación</translation>
    </message>
    <message>
        <source>Username</source>
        <translation>Usuario</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Contraseña</translation>
    </message>
    <message>
        <source>Exit Application</source>
        <translation>Salir</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>Please enter Username</source>
        <translation>Escriba el usuario</translation>
    </message>
    <message>
        <source>Please enter Password</source>
        <translation>Escriba la contraseña</translation>
    </message>
    <message>
        <source>Username or Password is incorrect. Please try again</source>
        <translation>Usuario o contraseña incorrectos. Inténtelo de nuevo</translation>
    </message>
    <message>
        <source>Password Incorrect</source>
        <translation>Contraseña incorrecta</translation>
    </message>
</context>
<context>
    <name>frmSplash</name>
    <message>
        <source>Made by the Fluxmere project</source>
        <translation>Hecho por el proyecto Fluxmere</translation>
    </message>
    <message>
        <source>Credits: the Fluxmere contributors, with Qt and SQLCipher</source>
        <translation>Créditos: los colaboradores de Fluxmere, con Qt y SQLCipher</translation>
    </message>
    <message>
        <source>Version 11</source>
        <translation>Versión 11</translation>
    </message>
    <message>
        <source>For permitted research use only: run this program within an approved study, with the informed consent of its participants.</source>
        <translation>Solo para investigación autorizada: use este programa dentro de un estudio aprobado, con el consentimiento informado de sus participantes.</translation>
    </message>
</context>
</TS>
