#include "framework/afxstrings.h"

#include "framework/afxres.h"

#include <QHash>

#include <atomic>

namespace fw {

namespace {

std::atomic<StringLookup> g_pfnLookup{nullptr};

const QHash<unsigned, QString>& StandardTable() {
  static const QHash<unsigned, QString> table = {
      {AFX_IDS_IDLEMESSAGE, QStringLiteral("就绪")},
      {ID_INDICATOR_CAPS, QStringLiteral("大写")},
      {ID_INDICATOR_NUM, QStringLiteral("数字")},
      {ID_INDICATOR_SCRL, QStringLiteral("滚动")},
      {AFX_IDS_OPENFILE, QStringLiteral("打开")},
      {AFX_IDS_SAVEFILE, QStringLiteral("保存为")},
      {AFX_IDS_ALLFILTER, QStringLiteral("所有文件 (*.*)")},
      {AFX_IDS_UNTITLED, QStringLiteral("无标题")},
      {AFX_IDP_FAILED_TO_OPEN_DOC, QStringLiteral("打开文档失败。")},
      {AFX_IDP_FAILED_TO_SAVE_DOC, QStringLiteral("保存文档失败。")},
      {AFX_IDP_ASK_TO_SAVE, QStringLiteral("将改动保存到 %1？")},
      {AFX_IDP_FAILED_TO_CREATE_DOC, QStringLiteral("建立空文档失败。")},
      {AFX_IDP_FILE_TOO_LARGE, QStringLiteral("该文件太大，无法打开。")},
      {AFX_IDP_FILE_GENERIC, QStringLiteral("访问 %1 时发生意外错误。")},
      {AFX_IDP_FILE_NOT_FOUND, QStringLiteral("未找到 %1。")},
      {AFX_IDP_FILE_BAD_PATH, QStringLiteral("%1 包含无效路径。")},
      {AFX_IDP_FILE_ACCESS_DENIED, QStringLiteral("%1 无法访问。")},
      {AFX_IDP_FILE_IS_DIRECTORY, QStringLiteral("%1 是一个文件夹，不是文件。")},
      {AFX_IDP_FILE_SHARING, QStringLiteral("访问 %1 时发生共享冲突。")},
      {AFX_IDP_FILE_DISK_FULL, QStringLiteral("磁盘已满，无法写入 %1。")},
      {AFX_IDP_FILE_READ_ERROR, QStringLiteral("读取 %1 时出错。")},
      {AFX_IDP_FILE_WRITE_ERROR, QStringLiteral("写入 %1 时出错。")},
      {AFX_IDP_FILE_NOT_REGULAR, QStringLiteral("%1 不是普通文件，无法读写。")},
      // Standard commands: status prompt, then "\n" and the tooltip.
      {ID_FILE_NEW, QStringLiteral("建立新文档\n新建")},
      {ID_FILE_OPEN, QStringLiteral("打开一个现有文档\n打开")},
      {ID_FILE_SAVE, QStringLiteral("保存活动文档\n保存")},
      {ID_FILE_SAVE_AS, QStringLiteral("将活动文档以一个新文件名保存\n另存为")},
      {ID_EDIT_COPY, QStringLiteral("复制被选对象并将其置于剪贴板上\n复制")},
      {ID_EDIT_CUT, QStringLiteral("剪切被选对象并将其置于剪贴板上\n剪切")},
      {ID_EDIT_PASTE, QStringLiteral("插入剪贴板内容\n粘贴")},
      {ID_EDIT_UNDO, QStringLiteral("撤消最后一步操作\n撤消")},
      {ID_APP_ABOUT, QStringLiteral("显示程序信息，版本号和版权\n关于")},
      {ID_APP_EXIT, QStringLiteral("退出应用程序；提示保存文档\n退出")},
      {ID_NEXT_PANE, QStringLiteral("切换到下一个窗格\n下一窗格")},
      {ID_PREV_PANE, QStringLiteral("切换回前一个窗格\n前一窗格")},
      {ID_VIEW_TOOLBAR, QStringLiteral("显示或隐藏工具栏\n显隐工具栏")},
      {ID_VIEW_STATUS_BAR, QStringLiteral("显示或隐藏状态栏\n显隐状态栏")},
  };
  return table;
}

}  // namespace

void SetStringLookup(StringLookup pfnLookup) { g_pfnLookup.store(pfnLookup); }

QString LoadString(unsigned id) {
  if (const StringLookup lookup = g_pfnLookup.load()) {
    QString text = lookup(id);
    if (!text.isNull()) return text;
  }
  return StandardTable().value(id);
}

QString CommandPrompt(unsigned id) { return LoadString(id).section(QLatin1Char('\n'), 0, 0); }

QString CommandTip(unsigned id) { return LoadString(id).section(QLatin1Char('\n'), 1, 1); }

QString FormatString1(unsigned id, const QString& arg1) {
  QString s = LoadString(id);
  s.replace(QLatin1String("%1"), arg1);
  return s;
}

}  // namespace fw
