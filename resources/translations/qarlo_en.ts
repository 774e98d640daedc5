<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>Qarlo</name>
    <message>
        <source>Qarlo写频软件

Qarlo
Qarlo 文件 (*.q02)
.q02
Qarlo.Document
Qarlo Document</source>
        <translation>Qarlo Radio Programmer

Qarlo
Qarlo files (*.q02)
.q02
Qarlo.Document
Qarlo Document</translation>
    </message>
    <message>
        <source>将数据从对讲机中读出
将数据从对讲机中读出</source>
        <translation>Read the data from the radio
Read from radio</translation>
    </message>
    <message>
        <source>将数据写入对讲机
将数据写入对讲机</source>
        <translation>Write the data to the radio
Write to radio</translation>
    </message>
    <message>
        <source>比较对讲机中的数据与当前文档
与对讲机比较</source>
        <translation>Compare the radio's data with the current document
Compare with radio</translation>
    </message>
    <message>
        <source>选择计算机COM1口写频
选择计算机COM1口写频</source>
        <translation>Program through the computer's COM1 port
Use COM1</translation>
    </message>
    <message>
        <source>选择计算机COM2口写频
选择计算机COM2口写频</source>
        <translation>Program through the computer's COM2 port
Use COM2</translation>
    </message>
    <message>
        <source>将频道导出为其他写频软件可读的CSV文件
导出CSV</source>
        <translation>Export the channels as a CSV file other programming software can read
Export CSV</translation>
    </message>
    <message>
        <source>从CSV文件导入频道
导入CSV</source>
        <translation>Import channels from a CSV file
Import CSV</translation>
    </message>
    <message>
        <source>就绪</source>
        <translation>Ready</translation>
    </message>
    <message>
        <source>建立新文档
新建</source>
        <translation>Create a new document
New</translation>
    </message>
    <message>
        <source>打开一个现有文档
打开</source>
        <translation>Open an existing document
Open</translation>
    </message>
    <message>
        <source>关闭活动文档
关闭</source>
        <translation>Close the active document
Close</translation>
    </message>
    <message>
        <source>保存活动文档
保存</source>
        <translation>Save the active document
Save</translation>
    </message>
    <message>
        <source>将活动文档以一个新文件名保存
另存为</source>
        <translation>Save the active document with a new name
Save As</translation>
    </message>
    <message>
        <source>改变打印选项
页面设置</source>
        <translation>Change the printing options
Page Setup</translation>
    </message>
    <message>
        <source>改变打印机及打印选项
打印设置</source>
        <translation>Change the printer and printing options
Print Setup</translation>
    </message>
    <message>
        <source>打印活动文档
打印</source>
        <translation>Print the active document
Print</translation>
    </message>
    <message>
        <source>显示整页
打印预览</source>
        <translation>Display full pages
Print Preview</translation>
    </message>
    <message>
        <source>打开该文档</source>
        <translation>Open this document</translation>
    </message>
    <message>
        <source>删除被选对象
删除</source>
        <translation>Erase the selection
Erase</translation>
    </message>
    <message>
        <source>全部删除
全部删除</source>
        <translation>Erase everything
Erase All</translation>
    </message>
    <message>
        <source>复制被选对象并将其置于剪贴板上
复制</source>
        <translation>Copy the selection and put it on the Clipboard
Copy</translation>
    </message>
    <message>
        <source>剪切被选对象并将其置于剪贴板上
剪切</source>
        <translation>Cut the selection and put it on the Clipboard
Cut</translation>
    </message>
    <message>
        <source>查找指定的正文
查找</source>
        <translation>Find the specified text
Find</translation>
    </message>
    <message>
        <source>插入剪贴板内容
粘贴</source>
        <translation>Insert Clipboard contents
Paste</translation>
    </message>
    <message>
        <source>重复上一步操作
重复</source>
        <translation>Repeat the last action
Repeat</translation>
    </message>
    <message>
        <source>用不同的正文替换指定的正文
替换</source>
        <translation>Replace specific text with different text
Replace</translation>
    </message>
    <message>
        <source>选择整个文档
选择全部</source>
        <translation>Select the entire document
Select All</translation>
    </message>
    <message>
        <source>撤消最后一步操作
撤消</source>
        <translation>Undo the last action
Undo</translation>
    </message>
    <message>
        <source>重新执行先前已撤消的操作
重新执行</source>
        <translation>Redo the previously undone action
Redo</translation>
    </message>
    <message>
        <source>将活动的窗口分隔成窗格
分隔</source>
        <translation>Split the active window into panes
Split</translation>
    </message>
    <message>
        <source>显示程序信息，版本号和版权
关于</source>
        <translation>Display program information, version number and copyright
About</translation>
    </message>
    <message>
        <source>退出应用程序；提示保存文档
退出</source>
        <translation>Quit the application; prompts to save documents
Exit</translation>
    </message>
    <message>
        <source>切换到下一个窗格
下一窗格</source>
        <translation>Switch to the next window pane
Next Pane</translation>
    </message>
    <message>
        <source>切换回前一个窗格
前一窗格</source>
        <translation>Switch back to the previous window pane
Previous Pane</translation>
    </message>
    <message>
        <source>扩展名</source>
        <translation>EXT</translation>
    </message>
    <message>
        <source>大写</source>
        <translation>CAP</translation>
    </message>
    <message>
        <source>数字</source>
        <translation>NUM</translation>
    </message>
    <message>
        <source>滚动</source>
        <translation>SCRL</translation>
    </message>
    <message>
        <source>改写</source>
        <translation>OVR</translation>
    </message>
    <message>
        <source>记录</source>
        <translation>REC</translation>
    </message>
    <message>
        <source>显示或隐藏工具栏
显隐工具栏</source>
        <translation>Show or hide the toolbar
Toggle ToolBar</translation>
    </message>
    <message>
        <source>显示或隐藏状态栏
显隐状态栏</source>
        <translation>Show or hide the status bar
Toggle StatusBar</translation>
    </message>
    <message>
        <source>改变窗口大小</source>
        <translation>Change the window size</translation>
    </message>
    <message>
        <source>改变窗口位置</source>
        <translation>Change the window position</translation>
    </message>
    <message>
        <source>将窗口缩小成图标</source>
        <translation>Reduce the window to an icon</translation>
    </message>
    <message>
        <source>把窗口放大到最大尺寸</source>
        <translation>Enlarge the window to full size</translation>
    </message>
    <message>
        <source>切换到下一个文档窗口</source>
        <translation>Switch to the next document window</translation>
    </message>
    <message>
        <source>切换到先前的文档窗口</source>
        <translation>Switch to the previous document window</translation>
    </message>
    <message>
        <source>关闭活动的窗口并提示保存所有文档</source>
        <translation>Close the active window and prompt to save the documents</translation>
    </message>
    <message>
        <source>把窗口恢复到正常大小</source>
        <translation>Restore the window to normal size</translation>
    </message>
    <message>
        <source>激活任务表</source>
        <translation>Activate Task List</translation>
    </message>
    <message>
        <source>关闭打印预览模式
取消预阅</source>
        <translation>Close print preview mode
Cancel Preview</translation>
    </message>
    <message>
        <source>无标题</source>
        <translation>Untitled</translation>
    </message>
    <message>
        <source>最近文件</source>
        <translation>Recent File</translation>
    </message>
    <message>
        <source>文件(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>编辑(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>查看(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>串口选择(&amp;S)</source>
        <translation>&amp;Serial Port</translation>
    </message>
    <message>
        <source>操作选择(&amp;O)</source>
        <translation>&amp;Operation</translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>新建(&amp;N)	Ctrl+N</source>
        <translation>&amp;New	Ctrl+N</translation>
    </message>
    <message>
        <source>打开(&amp;O)...	Ctrl+O</source>
        <translation>&amp;Open...	Ctrl+O</translation>
    </message>
    <message>
        <source>保存(&amp;S)	Ctrl+S</source>
        <translation>&amp;Save	Ctrl+S</translation>
    </message>
    <message>
        <source>另存为(&amp;A)...</source>
        <translation>Save &amp;As...</translation>
    </message>
    <message>
        <source>导出CSV(&amp;E)...</source>
        <translation>&amp;Export CSV...</translation>
    </message>
    <message>
        <source>导入CSV(&amp;I)...</source>
        <translation>&amp;Import CSV...</translation>
    </message>
    <message>
        <source>打印(&amp;P)...	Ctrl+P</source>
        <translation>&amp;Print...	Ctrl+P</translation>
    </message>
    <message>
        <source>打印预览(&amp;V)</source>
        <translation>Print Pre&amp;view</translation>
    </message>
    <message>
        <source>退出(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>撤消(&amp;U)	Ctrl+Z</source>
        <translation>&amp;Undo	Ctrl+Z</translation>
    </message>
    <message>
        <source>重复(&amp;R)	Ctrl+Y</source>
        <translation>&amp;Redo	Ctrl+Y</translation>
    </message>
    <message>
        <source>剪切(&amp;T)	Ctrl+X</source>
        <translation>Cu&amp;t	Ctrl+X</translation>
    </message>
    <message>
        <source>复制(&amp;C)	Ctrl+C</source>
        <translation>&amp;Copy	Ctrl+C</translation>
    </message>
    <message>
        <source>粘贴(&amp;P)	Ctrl+V</source>
        <translation>&amp;Paste	Ctrl+V</translation>
    </message>
    <message>
        <source>删除(&amp;D)	Del</source>
        <translation>&amp;Delete	Del</translation>
    </message>
    <message>
        <source>工具栏(&amp;T)</source>
        <translation>&amp;Toolbar</translation>
    </message>
    <message>
        <source>状态栏(&amp;S)</source>
        <translation>&amp;Status Bar</translation>
    </message>
    <message>
        <source>写入对讲机</source>
        <translation>Write to Radio</translation>
    </message>
    <message>
        <source>对讲机读出</source>
        <translation>Read from Radio</translation>
    </message>
    <message>
        <source>与对讲机比较</source>
        <translation>Compare with Radio</translation>
    </message>
    <message>
        <source>关于 qarlo(&amp;A)...</source>
        <translation>&amp;About qarlo...</translation>
    </message>
    <message>
        <source>标准</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>更多工具栏按钮</source>
        <translation>More toolbar buttons</translation>
    </message>
    <message>
        <source>复制到==&gt;</source>
        <translation>Copy ==&gt;</translation>
    </message>
    <message>
        <source>复制到&lt;==</source>
        <translation>Copy &lt;==</translation>
    </message>
    <message>
        <source>发射</source>
        <translation>Transmit</translation>
    </message>
    <message>
        <source>接收</source>
        <translation>Receive</translation>
    </message>
    <message>
        <source>编码表</source>
        <translation>Code</translation>
    </message>
    <message>
        <source>级</source>
        <translation>lvl</translation>
    </message>
    <message>
        <source>分</source>
        <translation>min</translation>
    </message>
    <message>
        <source>频道选择</source>
        <translation>Channel</translation>
    </message>
    <message>
        <source>整机设置</source>
        <translation>Radio Settings</translation>
    </message>
    <message>
        <source>已设置频道</source>
        <translation>Programmed</translation>
    </message>
    <message>
        <source>频道功能</source>
        <translation>Channel Functions</translation>
    </message>
    <message>
        <source>频    率</source>
        <translation>Freq.</translation>
    </message>
    <message>
        <source>静噪等级</source>
        <translation>Squelch</translation>
    </message>
    <message>
        <source>频   率</source>
        <translation>Freq.</translation>
    </message>
    <message>
        <source>TOT限时</source>
        <translation>TOT</translation>
    </message>
    <message>
        <source>频  段</source>
        <translation>Band</translation>
    </message>
    <message>
        <source>编码类型</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>到</source>
        <translation>to</translation>
    </message>
    <message>
        <source>频道宽/窄</source>
        <translation>Width</translation>
    </message>
    <message>
        <source>频段下限 MHz</source>
        <translation>Band low MHz</translation>
    </message>
    <message>
        <source>TOT限时 分</source>
        <translation>TOT limit min</translation>
    </message>
    <message>
        <source>接收 频率 MHz</source>
        <translation>Receive frequency MHz</translation>
    </message>
    <message>
        <source>接收 编码类型</source>
        <translation>Receive code type</translation>
    </message>
    <message>
        <source>接收 编码表</source>
        <translation>Receive code</translation>
    </message>
    <message>
        <source>接收设置复制到发射</source>
        <translation>Copy receive settings to transmit</translation>
    </message>
    <message>
        <source>发射 频率 MHz</source>
        <translation>Transmit frequency MHz</translation>
    </message>
    <message>
        <source>发射 编码类型</source>
        <translation>Transmit code type</translation>
    </message>
    <message>
        <source>发射 编码表</source>
        <translation>Transmit code</translation>
    </message>
    <message>
        <source>发射设置复制到接收</source>
        <translation>Copy transmit settings to receive</translation>
    </message>
    <message>
        <source>频段上限 MHz</source>
        <translation>Band high MHz</translation>
    </message>
    <message>
        <source>频段下限（MHz）：100－480，整数</source>
        <translation>Band low edge (MHz): 100-480, whole</translation>
    </message>
    <message>
        <source>发射限时（分）：0.1－10</source>
        <translation>Transmit time limit (minutes): 0.1-10</translation>
    </message>
    <message>
        <source>要编辑的频道：01－16</source>
        <translation>The channel to edit: 01-16</translation>
    </message>
    <message>
        <source>频率（MHz）：在频段内，6.25KHz或5KHz的整数倍，收发相差不超过10MHz</source>
        <translation>Frequency (MHz): inside the band, a multiple of 6.25KHz or 5KHz, receive and transmit at most 10MHz apart</translation>
    </message>
    <message>
        <source>静噪等级：0－9，用上下键或右边的箭头调整</source>
        <translation>Squelch level: 0-9, set with the Up and Down keys or the arrows on the right</translation>
    </message>
    <message>
        <source>静噪等级：0－9</source>
        <translation>Squelch level: 0-9</translation>
    </message>
    <message>
        <source>编码类型：QT（亚音频）、DQT（数字亚音）或无</source>
        <translation>Code type: QT (CTCSS), DQT (DCS) or none</translation>
    </message>
    <message>
        <source>编码：QT为频率（Hz），DQT为三位八进制码，N正向、I反向</source>
        <translation>Code: for QT a tone (Hz), for DQT three octal digits, N normal, I inverted</translation>
    </message>
    <message>
        <source>把接收频率和编码复制到发射</source>
        <translation>Copy the receive frequency and codes to transmit</translation>
    </message>
    <message>
        <source>把发射频率和编码复制到接收</source>
        <translation>Copy the transmit frequency and codes to receive</translation>
    </message>
    <message>
        <source>频段上限（MHz）：100－480，整数，比下限高10－40</source>
        <translation>Band high edge (MHz): 100-480, whole, 10-40 above the low edge</translation>
    </message>
    <message>
        <source>已设置的频道：选中一个即编辑它</source>
        <translation>Programmed channels: pick one to edit it</translation>
    </message>
    <message>
        <source>频道带宽：25KHz（宽）或12.5KHz（窄）</source>
        <translation>Channel bandwidth: 25KHz (wide) or 12.5KHz (narrow)</translation>
    </message>
    <message>
        <source>增大</source>
        <translation>Increase</translation>
    </message>
    <message>
        <source>减小</source>
        <translation>Decrease</translation>
    </message>
    <message>
        <source>无</source>
        <translation>None</translation>
    </message>
    <message>
        <source>关于 qarlo</source>
        <translation>About qarlo</translation>
    </message>
    <message>
        <source>qarlo 1.0 版</source>
        <translation>qarlo version 1.0</translation>
    </message>
    <message>
        <source>16 频道对讲机写频软件</source>
        <translation>16-channel radio programming software</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>是否保存对 %1 的更改？</source>
        <translation>Save changes to %1?</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>另存为</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>导入CSV</source>
        <translation>Import CSV</translation>
    </message>
    <message>
        <source>CSV 文件 (*.csv);;所有文件 (*)</source>
        <translation>CSV files (*.csv);;All files (*)</translation>
    </message>
    <message>
        <source>导出CSV</source>
        <translation>Export CSV</translation>
    </message>
    <message>
        <source>CSV 文件 (*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
    <message>
        <source>请输入一个数字。</source>
        <translation>Please enter a number.</translation>
    </message>
    <message>
        <source>请检查COM口至对讲机的连接及其设置</source>
        <translation>Check the connection from the COM port to the radio and its settings</translation>
    </message>
    <message>
        <source>数据已从对讲机中读出</source>
        <translation>The data has been read from the radio</translation>
    </message>
    <message>
        <source>数据已写入对讲机</source>
        <translation>The data has been written to the radio</translation>
    </message>
    <message>
        <source>建立通信失败</source>
        <translation>Could not establish communication</translation>
    </message>
    <message>
        <source>创建通信失败</source>
        <translation>Could not create communication</translation>
    </message>
    <message>
        <source>建立通信文件失败</source>
        <translation>Could not create the communication file</translation>
    </message>
    <message>
        <source>对讲机中的数据与当前文档相同</source>
        <translation>The radio's data is the same as the current document</translation>
    </message>
    <message>
        <source>对讲机中的数据与当前文档不同</source>
        <translation>The radio's data differs from the current document</translation>
    </message>
    <message>
        <source>接收频率与发射频率的差值必须小于等于10MHz</source>
        <translation>Receive and transmit frequency must be at most 10MHz apart</translation>
    </message>
    <message>
        <source>频段值必须在100MHz－480MHz内</source>
        <translation>The band must lie within 100MHz-480MHz</translation>
    </message>
    <message>
        <source>频段值必须以1MHz递增</source>
        <translation>The band edges must be whole MHz</translation>
    </message>
    <message>
        <source>频段范围必须在10MHz－40MHz内</source>
        <translation>The band must be 10MHz-40MHz wide</translation>
    </message>
    <message>
        <source>接收频率值超出频段范围</source>
        <translation>The receive frequency is outside the band</translation>
    </message>
    <message>
        <source>发射频率值超出频段范围</source>
        <translation>The transmit frequency is outside the band</translation>
    </message>
    <message>
        <source>接收频率值必须是6.25KHz或5KHz的整数倍</source>
        <translation>The receive frequency must be a multiple of 6.25KHz or 5KHz</translation>
    </message>
    <message>
        <source>发射频率值必须是6.25KHz或5KHz的整数倍</source>
        <translation>The transmit frequency must be a multiple of 6.25KHz or 5KHz</translation>
    </message>
    <message>
        <source>发射限时必须大于等于0.1，小于等于10</source>
        <translation>The transmit time limit must be at least 0.1 and at most 10</translation>
    </message>
    <message>
        <source>正在连接对讲机…</source>
        <translation>Connecting to the radio…</translation>
    </message>
    <message>
        <source>正在从对讲机读出…</source>
        <translation>Reading from the radio…</translation>
    </message>
    <message>
        <source>正在写入对讲机…</source>
        <translation>Writing to the radio…</translation>
    </message>
    <message>
        <source>01频道</source>
        <translation>CH 01</translation>
    </message>
    <message>
        <source>02频道</source>
        <translation>CH 02</translation>
    </message>
    <message>
        <source>03频道</source>
        <translation>CH 03</translation>
    </message>
    <message>
        <source>04频道</source>
        <translation>CH 04</translation>
    </message>
    <message>
        <source>05频道</source>
        <translation>CH 05</translation>
    </message>
    <message>
        <source>06频道</source>
        <translation>CH 06</translation>
    </message>
    <message>
        <source>07频道</source>
        <translation>CH 07</translation>
    </message>
    <message>
        <source>08频道</source>
        <translation>CH 08</translation>
    </message>
    <message>
        <source>09频道</source>
        <translation>CH 09</translation>
    </message>
    <message>
        <source>10频道</source>
        <translation>CH 10</translation>
    </message>
    <message>
        <source>11频道</source>
        <translation>CH 11</translation>
    </message>
    <message>
        <source>12频道</source>
        <translation>CH 12</translation>
    </message>
    <message>
        <source>13频道</source>
        <translation>CH 13</translation>
    </message>
    <message>
        <source>14频道</source>
        <translation>CH 14</translation>
    </message>
    <message>
        <source>15频道</source>
        <translation>CH 15</translation>
    </message>
    <message>
        <source>16频道</source>
        <translation>CH 16</translation>
    </message>
    <message>
        <source>频道一览(&amp;L)</source>
        <translation>Channel &amp;List</translation>
    </message>
    <message>
        <source>显示或隐藏全部频道的一览表
显隐频道一览</source>
        <translation>Show or hide a table of all the channels
Toggle Channel List</translation>
    </message>
    <message>
        <source>已导出，但以下内容无法用CSV表示：
</source>
        <translation>Exported, but the following cannot be written as CSV:
</translation>
    </message>
    <message>
        <source>已导出到 %1</source>
        <translation>Exported to %1</translation>
    </message>
    <message>
        <source>备份失败：找不到应用程序数据文件夹</source>
        <translation>Backup failed: cannot find the application data folder</translation>
    </message>
    <message>
        <source>备份失败：无法建立文件夹 %1</source>
        <translation>Backup failed: cannot create the folder %1</translation>
    </message>
    <message>
        <source>备份失败：无法写入 %1（%2）</source>
        <translation>Backup failed: cannot write %1 (%2)</translation>
    </message>
    <message>
        <source>无法导入文件 %1：文件太大，不是频道CSV文件。</source>
        <translation>Cannot import the file %1: it is too large to be a CSV file of channels.</translation>
    </message>
    <message>
        <source>无法导入文件 %1，文档未作改动：
</source>
        <translation>Cannot import the file %1; the document is unchanged:
</translation>
    </message>
    <message>
        <source>文件 %1 中没有频道，文档未作改动。</source>
        <translation>The file %1 holds no channels; the document is unchanged.</translation>
    </message>
    <message>
        <source>文件 %1 中没有对讲机能存储的频道，文档未作改动：
</source>
        <translation>The file %1 holds no channel the radio can store; the document is unchanged:
</translation>
    </message>
    <message>
        <source>已导入 %1 个频道；%2</source>
        <translation>Imported %1 channels; %2</translation>
    </message>
    <message>
        <source>无法识别的内容 %1</source>
        <translation>Unreadable content %1</translation>
    </message>
    <message>
        <source>对讲机不支持模式 %1（只支持 FM、NFM）</source>
        <translation>The radio does not support the mode %1 (only FM and NFM)</translation>
    </message>
    <message>
        <source>对讲机不支持信令方式 %1</source>
        <translation>The radio does not support the tone mode %1</translation>
    </message>
    <message>
        <source>对讲机没有亚音 %1</source>
        <translation>The radio has no CTCSS tone %1</translation>
    </message>
    <message>
        <source>对讲机没有数字亚音 %1</source>
        <translation>The radio has no DCS code %1</translation>
    </message>
    <message>
        <source>只接收（Duplex off），对讲机需要发射频率</source>
        <translation>Receive only (Duplex off); the radio needs a transmit frequency</translation>
    </message>
    <message>
        <source>频率 %1 超出对讲机所有频段（100MHz－520MHz）</source>
        <translation>The frequency %1 is outside every band of the radio (100 MHz to 520 MHz)</translation>
    </message>
    <message>
        <source>频率 %1 不是10Hz的整数倍，已取整</source>
        <translation>The frequency %1 is not a multiple of 10 Hz; it was rounded</translation>
    </message>
    <message>
        <source>该频道已由前面的行占用</source>
        <translation>An earlier row already takes this channel</translation>
    </message>
    <message>
        <source>超出第16频道</source>
        <translation>Past channel 16</translation>
    </message>
    <message>
        <source>位置不在所选范围内</source>
        <translation>The Location is not among those chosen</translation>
    </message>
    <message>
        <source>未选择</source>
        <translation>Not chosen</translation>
    </message>
    <message>
        <source>第 %1 行：%2</source>
        <translation>Line %1: %2</translation>
    </message>
    <message>
        <source>第 %1 行，列 %2：%3</source>
        <translation>Line %1, column %2: %3</translation>
    </message>
    <message>
        <source>……另有 %1 处错误</source>
        <translation>...and %1 more errors</translation>
    </message>
    <message>
        <source>频段设为 %1MHz－%2MHz（文档原来没有频段）</source>
        <translation>Band set to %1 MHz to %2 MHz (the document had no band)</translation>
    </message>
    <message>
        <source>频段 %1MHz－%2MHz 不变</source>
        <translation>Band %1 MHz to %2 MHz unchanged</translation>
    </message>
    <message>
        <source>没有频段能容纳 %1MHz－%2MHz 的全部频道：频道 %3 不能照原样写入对讲机</source>
        <translation>No band holds all the channels from %1 MHz to %2 MHz: channels %3 cannot be written to the radio as they stand</translation>
    </message>
    <message>
        <source>频道 %1 超出频段 %2MHz－%3MHz：不能照原样写入对讲机</source>
        <translation>Channels %1 are outside the band %2 MHz to %3 MHz: they cannot be written to the radio as they stand</translation>
    </message>
    <message>
        <source>无法识别</source>
        <translation>Unreadable</translation>
    </message>
    <message>
        <source>导入</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>位置</source>
        <translation>Location</translation>
    </message>
    <message>
        <source>接收频率</source>
        <translation>RX frequency</translation>
    </message>
    <message>
        <source>发射频率</source>
        <translation>TX frequency</translation>
    </message>
    <message>
        <source>接收信令</source>
        <translation>RX signalling</translation>
    </message>
    <message>
        <source>发射信令</source>
        <translation>TX signalling</translation>
    </message>
    <message>
        <source>带宽</source>
        <translation>Bandwidth</translation>
    </message>
    <message>
        <source>导入为</source>
        <translation>Becomes</translation>
    </message>
    <message>
        <source>CSV文件中的行</source>
        <translation>Rows of the CSV file</translation>
    </message>
    <message>
        <source>按位置放入对应频道(&amp;L)</source>
        <translation>Into the channels of their &amp;Locations</translation>
    </message>
    <message>
        <source>依次放入，从频道(&amp;F)</source>
        <translation>In order, &amp;from channel</translation>
    </message>
    <message>
        <source>起始频道</source>
        <translation>First channel</translation>
    </message>
    <message>
        <source>频段</source>
        <translation>Band</translation>
    </message>
    <message>
        <source>没有选中的行</source>
        <translation>No row is ticked</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>接收编码</source>
        <translation>RX code</translation>
    </message>
    <message>
        <source>发射编码</source>
        <translation>TX code</translation>
    </message>
    <message>
        <source>频道一览</source>
        <translation>Channel List</translation>
    </message>
    <message>
        <source>%1: 设备不存在</source>
        <translation>%1: no such device</translation>
    </message>
    <message>
        <source>%1: 被另一个程序占用</source>
        <translation>%1: held by another program</translation>
    </message>
    <message>
        <source>%1: 被 另一个程序 (进程 %2) 占用</source>
        <translation>%1: held by another program (pid %2)</translation>
    </message>
    <message>
        <source>%1: 被 %2 (进程 %3) 占用</source>
        <translation>%1: held by %2 (pid %3)</translation>
    </message>
    <message>
        <source>%1: 没有使用权限；只有 %2 组的成员可以使用（sudo usermod -aG %2 $USER，然后重新登录）</source>
        <translation>%1: permission denied; members of the group "%2" may use it (sudo usermod -aG %2 $USER, then log in again)</translation>
    </message>
    <message>
        <source>%1: 没有使用权限；只有 root 可以使用</source>
        <translation>%1: permission denied; only root may use it</translation>
    </message>
    <message>
        <source>%1: 没有使用权限；只有其所有者 %2 可以使用</source>
        <translation>%1: permission denied; only its owner %2 may use it</translation>
    </message>
    <message>
        <source>%1: 不是串口设备</source>
        <translation>%1: not a serial device</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>备用行%1</source>
        <translation>Spare row %1</translation>
    </message>
    <message>
        <source>已设置</source>
        <translation>Programmed</translation>
    </message>
    <message>
        <source>是</source>
        <translation>yes</translation>
    </message>
    <message>
        <source>否</source>
        <translation>no</translation>
    </message>
    <message>
        <source>保留标志位</source>
        <translation>Reserved flag bits</translation>
    </message>
    <message>
        <source>保留字节%1</source>
        <translation>Reserved byte %1</translation>
    </message>
    <message>
        <source>接收编码字节</source>
        <translation>RX code byte</translation>
    </message>
    <message>
        <source>发射编码字节</source>
        <translation>TX code byte</translation>
    </message>
    <message>
        <source>频段下限</source>
        <translation>Band low</translation>
    </message>
    <message>
        <source>频段上限</source>
        <translation>Band high</translation>
    </message>
    <message>
        <source>内容</source>
        <translation>Contents</translation>
    </message>
    <message>
        <source>无法打开文件 %1：文件格式不正确。</source>
        <translation>Cannot open the file %1: it is not in the right format.</translation>
    </message>
    <message>
        <source>无法打开文件 %1：它不是普通文件。</source>
        <translation>Cannot open the file %1: it is not a regular file.</translation>
    </message>
    <message>
        <source>无法打开文件 %1。</source>
        <translation>Cannot open the file %1.</translation>
    </message>
    <message>
        <source>无法打开文件 %1。
原因：%2</source>
        <translation>Cannot open the file %1.
Reason: %2</translation>
    </message>
    <message>
        <source>无法保存文件 %1：文件是只读的，您没有写入它的权限。</source>
        <translation>Cannot save the file %1: it is read-only and you may not write to it.</translation>
    </message>
    <message>
        <source>无法保存文件 %1：它不是普通文件，不能被替换。</source>
        <translation>Cannot save the file %1: it is not a regular file and cannot be replaced.</translation>
    </message>
    <message>
        <source>无法保存文件 %1：另一个程序正在修改它，请稍后再试。</source>
        <translation>Cannot save the file %1: another program is changing it; please try again later.</translation>
    </message>
    <message>
        <source>无法保存文件 %1。</source>
        <translation>Cannot save the file %1.</translation>
    </message>
    <message>
        <source>无法保存文件 %1。
原因：%2</source>
        <translation>Cannot save the file %1.
Reason: %2</translation>
    </message>
    <message>
        <source>无法粘贴剪贴板上的频道，文档未作改动：
%1</source>
        <translation>Cannot paste the channels on the clipboard; the document is unchanged:
%1</translation>
    </message>
    <message>
        <source>剪贴板上没有频道，文档未作改动。</source>
        <translation>The clipboard holds no channels; the document is unchanged.</translation>
    </message>
    <message>
        <source>剪贴板上有 %1 个频道，从%2起只粘贴了前 %3 个。</source>
        <translation>The clipboard holds %1 channels; from %2 on only the first %3 were pasted.</translation>
    </message>
    <message>
        <source>未知</source>
        <translation>unknown</translation>
    </message>
    <message>
        <source>选择%1口写频（厂商：%2，产品：%3）</source>
        <translation>Program through %1 (manufacturer: %2, product: %3)</translation>
    </message>
    <message>
        <source>接收
频    率 MHz</source>
        <translation>Receive
Frequency MHz</translation>
    </message>
    <message>
        <source>接收
编码类型 编码表</source>
        <translation>Receive
Code type Code</translation>
    </message>
    <message>
        <source>发射
频   率 MHz</source>
        <translation>Transmit
Frequency MHz</translation>
    </message>
    <message>
        <source>发射
编码类型 编码表</source>
        <translation>Transmit
Code type Code</translation>
    </message>
    <message>
        <source>频  段 %1 - %2 MHz</source>
        <translation>Band %1 - %2 MHz</translation>
    </message>
    <message>
        <source>TOT限时 %1 分</source>
        <translation>TOT limit %1 min</translation>
    </message>
</context>
</TS>
