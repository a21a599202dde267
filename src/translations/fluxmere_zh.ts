<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh">
<context>
    <name>EndProgram</name>
    <message>
        <source>The game is over and you have earned %1 dollars. Thank you for your participation. Please call the experimenter for further instructions.</source>
        <translation>游戏结束，您共获得 %1 美元。感谢您的参与。请叫实验人员，等待进一步指示。</translation>
    </message>
    <message>
        <source>Nothing had been recorded yet.</source>
        <translation>尚未记录任何内容。</translation>
    </message>
    <message>
        <source>No period of %1&apos;s run had been played yet.</source>
        <translation>%1 尚未进行任何时段。</translation>
    </message>
    <message>
        <source>No period of %1&apos;s run had been completed yet.</source>
        <translation>%1 尚未完成任何时段。</translation>
    </message>
    <message>
        <source>Everything of %1&apos;s run recorded up to period %2 is kept.</source>
        <translation>%1 截至第 %2 时段的所有记录均已保留。</translation>
    </message>
    <message>
        <source>Database problem</source>
        <translation>数据库问题</translation>
    </message>
    <message>
        <source>The session has stopped: the experiment database could not be used.</source>
        <translation>本次实验已停止：无法使用实验数据库。</translation>
    </message>
    <message>
        <source>Error %1: %2</source>
        <translation>错误 %1：%2</translation>
    </message>
    <message>
        <source>Status was %1</source>
        <translation>状态：%1</translation>
    </message>
    <message>
        <source>Please call the experimenter.</source>
        <translation>请叫实验人员。</translation>
    </message>
</context>
<context>
    <name>MessageBox</name>
    <message>
        <source>&amp;Yes</source>
        <translation>是(&amp;Y)</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>否(&amp;N)</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
</context>
<context>
    <name>RunClaim</name>
    <message>
        <source>%1 is playing version %2 on station %3 (last seen at %4). A participant plays on one station at a time.<byte value="xd"/>
If that station has stopped, the run can continue here %5 seconds after it was last seen.<byte value="xd"/>
Please call the experimenter.</source>
        <translation>%1 正在工作站 %3 上进行版本 %2（最后一次响应于 %4）。每位参与者同一时间只能在一台工作站上进行。<byte value="xd"/>
如果那台工作站已停止，可在其最后一次响应 %5 秒后在这里继续。<byte value="xd"/>
请叫实验人员。</translation>
    </message>
</context>
<context>
    <name>TableAccess</name>
    <message>
        <source>Error %1: %2</source>
        <translation>错误 %1：%2</translation>
    </message>
    <message>
        <source>Status was %1</source>
        <translation>状态：%1</translation>
    </message>
    <message>
        <source>Retry?</source>
        <translation>重试？</translation>
    </message>
    <message>
        <source>Problems opening table</source>
        <translation>打开数据表时出错</translation>
    </message>
    <message>
        <source>Retry? (No to quit)</source>
        <translation>重试？（选“否”退出）</translation>
    </message>
</context>
<context>
    <name>frmHydrovat</name>
    <message>
        <source>Time Period</source>
        <translation>时段</translation>
    </message>
    <message>
        <source>of</source>
        <translation>共</translation>
    </message>
    <message>
        <source>Goal</source>
        <translation>目标</translation>
    </message>
    <message>
        <source>User Inflow</source>
        <translation>您的流入</translation>
    </message>
    <message>
        <source>Environment Inflow</source>
        <translation>环境流入</translation>
    </message>
    <message>
        <source>User Outflow</source>
        <translation>您的流出</translation>
    </message>
    <message>
        <source>Environment Outflow</source>
        <translation>环境流出</translation>
    </message>
    <message>
        <source>Department Store</source>
        <translation>百货商店</translation>
    </message>
    <message>
        <source>Make Decision-&gt;</source>
        <translation>请决策-&gt;</translation>
    </message>
    <message>
        <source>Submit</source>
        <translation>提交</translation>
    </message>
    <message>
        <source>Current bonus for the time period is:</source>
        <translation>本时段奖金：</translation>
    </message>
    <message>
        <source>Total money to be paid at the end:</source>
        <translation>最终支付总额：</translation>
    </message>
    <message>
        <source>Back Order (Gallons):</source>
        <translation>待到流入（加仑）：</translation>
    </message>
    <message>
        <source>Dch Order (Gallons):</source>
        <translation>待到流出（加仑）：</translation>
    </message>
    <message>
        <source>Env InFlow(%1/Hour):</source>
        <translation>环境流入(%1/小时)：</translation>
    </message>
    <message>
        <source>Env OutFlow(%1/Hour):</source>
        <translation>环境流出(%1/小时)：</translation>
    </message>
    <message>
        <source>UserInFlow(%1/Hour):</source>
        <translation>您的流入(%1/小时)：</translation>
    </message>
    <message>
        <source>UserOutFlow(%1/Hour):</source>
        <translation>您的流出(%1/小时)：</translation>
    </message>
    <message>
        <source>Goal(%1):</source>
        <translation>目标(%1)：</translation>
    </message>
    <message>
        <source>Amount in Tank(%1):</source>
        <translation>水箱存量(%1)：</translation>
    </message>
    <message>
        <source>Amount(%1):</source>
        <translation>数量(%1)：</translation>
    </message>
    <message>
        <source>Enter the Inflow(%1/Hour):</source>
        <translation>输入流入量(%1/小时)：</translation>
    </message>
    <message>
        <source>Enter the Outflow(%1/Hour):</source>
        <translation>输入流出量(%1/小时)：</translation>
    </message>
    <message>
        <source>Are you sure you want to exit?</source>
        <translation>确定要退出吗？</translation>
    </message>
    <message>
        <source>Exit Application</source>
        <translation>退出程序</translation>
    </message>
</context>
<context>
    <name>frmLogin</name>
    <message>
        <source>No version of the experiment is set up: the table tblSetup of the experiment database is empty.<byte value="xd"/>
%1<byte value="xd"/>
Please call the experimenter.</source>
        <translation>尚未设置实验版本：实验数据库中的 tblSetup 表为空。<byte value="xd"/>
%1<byte value="xd"/>
请叫实验人员。</translation>
    </message>
    <message>
        <source>The records of %1 in version %2 cannot be read, so the run can neither continue nor start again under this name.<byte value="xd"/>
Error %3: %4<byte value="xd"/>
Please call the experimenter.</source>
        <translation>无法读取 %1 在版本 %2 中的记录，因此不能以此名称继续或重新开始。<byte value="xd"/>
错误 %3：%4<byte value="xd"/>
请叫实验人员。</translation>
    </message>
    <message>
        <source>Welcome</source>
        <translation>欢迎</translation>
    </message>
    <message>
        <source>Login: </source>
        <translation>登录：</translation>
    </message>
    <message>
        <source>Version:</source>
        <translation>版本：</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>开始</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>Continue with Trial #%1</source>
        <translation>从第 %1 时段继续</translation>
    </message>
    <message>
        <source>Login %1 already used</source>
        <translation>登录名 %1 已被使用</translation>
    </message>
</context>
<context>
    <name>frmNewSubject</name>
    <message>
        <source>Architecture</source>
        <translation>建筑学</translation>
    </message>
    <message>
        <source>Art</source>
        <translation>艺术</translation>
    </message>
    <message>
        <source>Biological Sciences</source>
        <translation>生物科学</translation>
    </message>
    <message>
        <source>Business</source>
        <translation>工商管理</translation>
    </message>
    <message>
        <source>Chemical Engineering</source>
        <translation>化学工程</translation>
    </message>
    <message>
        <source>Chemistry</source>
        <translation>化学</translation>
    </message>
    <message>
        <source>Civil &amp; Environmental Engineering</source>
        <translation>土木与环境工程</translation>
    </message>
    <message>
        <source>Computer Science</source>
        <translation>计算机科学</translation>
    </message>
    <message>
        <source>Design</source>
        <translation>设计</translation>
    </message>
    <message>
        <source>Drama</source>
        <translation>戏剧</translation>
    </message>
    <message>
        <source>Economics</source>
        <translation>经济学</translation>
    </message>
    <message>
        <source>Electrical &amp; Computer Engineering</source>
        <translation>电气与计算机工程</translation>
    </message>
    <message>
        <source>Engineering &amp; Public Policy</source>
        <translation>工程与公共政策</translation>
    </message>
    <message>
        <source>English</source>
        <translation>英语</translation>
    </message>
    <message>
        <source>History</source>
        <translation>历史</translation>
    </message>
    <message>
        <source>Industrial Management</source>
        <translation>工业管理</translation>
    </message>
    <message>
        <source>Materials Science &amp; Engineering</source>
        <translation>材料科学与工程</translation>
    </message>
    <message>
        <source>Mathematical Sciences</source>
        <translation>数学</translation>
    </message>
    <message>
        <source>Mechanical Engineering</source>
        <translation>机械工程</translation>
    </message>
    <message>
        <source>Music</source>
        <translation>音乐</translation>
    </message>
    <message>
        <source>Modern Languages</source>
        <translation>现代语言</translation>
    </message>
    <message>
        <source>Philosophy</source>
        <translation>哲学</translation>
    </message>
    <message>
        <source>Physics</source>
        <translation>物理学</translation>
    </message>
    <message>
        <source>Psychology</source>
        <translation>心理学</translation>
    </message>
    <message>
        <source>Social &amp; Decision Sciences</source>
        <translation>社会与决策科学</translation>
    </message>
    <message>
        <source>Statistics</source>
        <translation>统计学</translation>
    </message>
    <message>
        <source>Other</source>
        <translation>其他</translation>
    </message>
    <message>
        <source>Subject Info: </source>
        <translation>个人信息：</translation>
    </message>
    <message>
        <source>Age:</source>
        <translation>年龄：</translation>
    </message>
    <message>
        <source>Gender</source>
        <translation>性别</translation>
    </message>
    <message>
        <source>Female</source>
        <translation>女</translation>
    </message>
    <message>
        <source>Male</source>
        <translation>男</translation>
    </message>
    <message>
        <source>Begin</source>
        <translation>开始</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Major</source>
        <translation>专业</translation>
    </message>
    <message>
        <source>The name %1 was registered in version %2 on another station a moment ago. Two participants cannot share a name.<byte value="xd"/>
Please choose another name, or call the experimenter.</source>
        <translation>名称 %1 刚刚在另一台工作站上注册了版本 %2。两位参与者不能使用同一名称。<byte value="xd"/>
请换一个名称，或叫实验人员。</translation>
    </message>
</context>
<context>
    <name>frmPasswordAuth</name>
    <message>
        <source>The password could not be checked: %1.</source>
        <translation>无法核对密码：%1。</translation>
    </message>
    <message>
        <source>the database reported error %1 (%2)</source>
        <translation>数据库报告错误 %1（%2）</translation>
    </message>
    <message>
        <source>Authentication</source>
        <translation>身份验证</translation>
    </message>
    <message>
        <source>Username</source>
        <translation>用户名</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>密码</translation>
    </message>
    <message>
        <source>Exit Application</source>
        <translation>退出程序</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Please enter Username</source>
        <translation>请输入用户名</translation>
    </message>
    <message>
        <source>Please enter Password</source>
        <translation>请输入密码</translation>
    </message>
    <message>
        <source>Username or Password is incorrect. Please try again</source>
        <translation>用户名或密码错误。请重试</translation>
    </message>
    <message>
        <source>Password Incorrect</source>
        <translation>密码错误</translation>
    </message>
</context>
<context>
    <name>frmSplash</name>
    <message>
        <source>Made by the Fluxmere project</source>
        <translation>由 Fluxmere 项目制作</translation>
    </message>
    <message>
        <source>Credits: the Fluxmere contributors, with Qt and SQLCipher</source>
        <translation>致谢：Fluxmere 贡献者，使用 Qt 与 SQLCipher</translation>
    </message>
    <message>
        <source>Version 11</source>
        <translation>版本 11</translation>
    </message>
    <message>
        <source>For permitted research use only: run this program within an approved study, with the informed consent of its participants.</source>
        <translation>仅限许可的研究用途：请在经批准的研究中、在参与者知情同意的前提下使用本程序。</translation>
    </message>
</context>
</TS>
