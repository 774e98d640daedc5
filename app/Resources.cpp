#include "Resources.h"

#include <QStringList>

#include <array>

namespace qarlo {

namespace {

struct StringEntry {
    int id;
    const char* text;
};

// The program's own strings, then the framework's prompts for the commands the window offers.
// COM1 and COM2 each name their own port: the COM1 prompt used to say COM2 and COM2 had none.
constexpr std::array StringTable{
    StringEntry{128,
                "Qarlo写频软件\n\nQarlo\nQarlo 文件 (*.q02)\n.q02\nQarlo.Document\nQarlo Document"},
    StringEntry{ID_RADIO_READ, "将数据从对讲机中读出\n将数据从对讲机中读出"},
    StringEntry{ID_RADIO_WRITE, "将数据写入对讲机\n将数据写入对讲机"},
    StringEntry{ID_PORT_COM1, "选择计算机COM1口写频\n选择计算机COM1口写频"},
    StringEntry{ID_PORT_COM2, "选择计算机COM2口写频\n选择计算机COM2口写频"},
    StringEntry{ID_FILE_EXPORT_CSV, "将频道导出为其他写频软件可读的CSV文件\n导出CSV"},
    StringEntry{ID_FILE_IMPORT_CSV, "从CSV文件导入频道\n导入CSV"},
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
};

QString TemplateField(int index) {
    return LoadString(128).split(QLatin1Char('\n')).value(index);
}

} // namespace

QString LoadString(int id) {
    for (const StringEntry& entry : StringTable)
        if (entry.id == id) return QString::fromUtf8(entry.text);
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
    return QStringLiteral("无标题");
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
