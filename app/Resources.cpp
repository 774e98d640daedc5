#include "Resources.h"
#include "editor/UiText.h"

#include <QStringList>

#include <array>

namespace qarlo {

namespace {

struct StringEntry {
    int id;
    const char* text;
};

// The program's own strings, then the framework's standard prompts: the whole table, also where
// the window has no such command.
// COM1 and COM2 each name their own port: the COM1 prompt used to say COM2 and COM2 had none.
constexpr std::array StringTable{
    StringEntry{128,
                "Qarlo写频软件\n\nQarlo\nQarlo 文件 (*.q02)\n.q02\nQarlo.Document\nQarlo Document"},
    StringEntry{ID_RADIO_READ, "将数据从对讲机中读出\n将数据从对讲机中读出"},
    StringEntry{ID_RADIO_WRITE, "将数据写入对讲机\n将数据写入对讲机"},
    StringEntry{ID_RADIO_COMPARE, "比较对讲机中的数据与当前文档\n与对讲机比较"},
    StringEntry{ID_PORT_COM1, "选择计算机COM1口写频\n选择计算机COM1口写频"},
    StringEntry{ID_PORT_COM2, "选择计算机COM2口写频\n选择计算机COM2口写频"},
    StringEntry{ID_FILE_EXPORT_CSV, "将频道导出为其他写频软件可读的CSV文件\n导出CSV"},
    StringEntry{ID_FILE_IMPORT_CSV, "从CSV文件导入频道\n导入CSV"},
    StringEntry{ID_VIEW_OVERVIEW, "显示或隐藏全部频道的一览表\n显隐频道一览"},
    StringEntry{57344, "qarlo"},
    StringEntry{57345, "就绪"},
    StringEntry{57600, "建立新文档\n新建"},
    StringEntry{57601, "打开一个现有文档\n打开"},
    StringEntry{57602, "关闭活动文档\n关闭"},
    StringEntry{57603, "保存活动文档\n保存"},
    StringEntry{57604, "将活动文档以一个新文件名保存\n另存为"},
    StringEntry{57605, "改变打印选项\n页面设置"},
    StringEntry{57606, "改变打印机及打印选项\n打印设置"},
    StringEntry{57607, "打印活动文档\n打印"},
    StringEntry{57609, "显示整页\n打印预览"},
    StringEntry{57616, "打开该文档"},
    StringEntry{57617, "打开该文档"},
    StringEntry{57618, "打开该文档"},
    StringEntry{57619, "打开该文档"},
    StringEntry{57632, "删除被选对象\n删除"},
    StringEntry{57633, "全部删除\n全部删除"},
    StringEntry{57634, "复制被选对象并将其置于剪贴板上\n复制"},
    StringEntry{57635, "剪切被选对象并将其置于剪贴板上\n剪切"},
    StringEntry{57636, "查找指定的正文\n查找"},
    StringEntry{57637, "插入剪贴板内容\n粘贴"},
    StringEntry{57640, "重复上一步操作\n重复"},
    StringEntry{57641, "用不同的正文替换指定的正文\n替换"},
    StringEntry{57642, "选择整个文档\n选择全部"},
    StringEntry{57643, "撤消最后一步操作\n撤消"},
    StringEntry{57644, "重新执行先前已撤消的操作\n重新执行"},
    StringEntry{57653, "将活动的窗口分隔成窗格\n分隔"},
    StringEntry{57664, "显示程序信息，版本号和版权\n关于"},
    StringEntry{57665, "退出应用程序；提示保存文档\n退出"},
    StringEntry{57680, "切换到下一个窗格\n下一窗格"},
    StringEntry{57681, "切换回前一个窗格\n前一窗格"},
    StringEntry{59136, "扩展名"},
    StringEntry{59137, "大写"},
    StringEntry{59138, "数字"},
    StringEntry{59139, "滚动"},
    StringEntry{59140, "改写"},
    StringEntry{59141, "记录"},
    StringEntry{59392, "显示或隐藏工具栏\n显隐工具栏"},
    StringEntry{59393, "显示或隐藏状态栏\n显隐状态栏"},
    StringEntry{61184, "改变窗口大小"},
    StringEntry{61185, "改变窗口位置"},
    StringEntry{61186, "将窗口缩小成图标"},
    StringEntry{61187, "把窗口放大到最大尺寸"},
    StringEntry{61188, "切换到下一个文档窗口"},
    StringEntry{61189, "切换到先前的文档窗口"},
    StringEntry{61190, "关闭活动的窗口并提示保存所有文档"},
    StringEntry{61202, "把窗口恢复到正常大小"},
    StringEntry{61203, "激活任务表"},
    StringEntry{61445, "关闭打印预览模式\n取消预阅"},
};

QString TemplateField(int index) {
    return LoadString(128).split(QLatin1Char('\n')).value(index);
}

} // namespace

QString LoadString(int id) {
    for (const StringEntry& entry : StringTable)
        if (entry.id == id) return UiText(entry.text);
    return {};
}

QString PromptOf(int id) {
    return LoadString(id).section(QLatin1Char('\n'), 0, 0);
}

QString TooltipOf(int id) {
    const QString text = LoadString(id);
    const qsizetype pos = text.indexOf(QLatin1Char('\n'));
    return pos < 0 ? text : text.mid(pos + 1);
}

QString WindowTitleField() {
    return TemplateField(0);
}
QString FileFilter() {
    return TemplateField(3);
}
QString DefaultSuffix() {
    return TemplateField(4).mid(1);
}
QString UntitledName() {
    return UiText("无标题");
}
QString ReadyText() {
    return LoadString(57345);
}
QString AppName() {
    return LoadString(57344);
}

QString MainCaption(const QString& documentTitle) {
    return documentTitle + QStringLiteral(" - ") + WindowTitleField();
}

} // namespace qarlo
