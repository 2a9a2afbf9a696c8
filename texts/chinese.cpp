// The Chinese texts, byte for byte those the program has always shown (GBK in the build).
#include "texts/tables.h"

namespace texts {

extern constexpr TTextRow kChineseTexts[] = {
    {TText::FormCaption, "Hashtally - 简体中文版"},
    {TText::PageMake, "制作检查文件"},
    {TText::PageCheck, "检查文件"},
    {TText::PageAbout, "关于"},
    {TText::ScanFolderLabel, "选择文件夹  : "},
    {TText::ScanFolderButton, "点击选择扫描目录"},
    {TText::Start, "开始"},
    {TText::OpenCheckfile, "打开检查文件..."},
    {TText::UpdateCheckfile, "更新检查文件"},
    {TText::VersionLabel, "Hashtally 版本 "},
    {TText::Stop, "停止"},
    {TText::Pause, "暂停"},
    {TText::Resume, "继续"},
    {TText::LanguageLabel, "语言:"},
    {TText::LanguageName, "中文"},
    {TText::MakePaneHint, "选择文件夹,点击 \"开始\" ,制作检查文件,用于对比."},
    {TText::CheckPaneHint1, "点击 \"打开检查文件\" 开始对比现有文件"},
    {TText::CheckPaneHint2, "Hashtally 检查文件."},
    {TText::AboutText, kAboutText},
    {TText::PausedStatus, "已暂停"},
    {TText::OutOfMemoryBox, "内存不足,操作已中止。"},
    {TText::UnrepresentableNameBox, "文件名含有无效的字符,无法打开: "},
    {TText::UnexpectedErrorBox, "Unexpected error"},
    {TText::NoFilesBox, "No files to work with!"},
    {TText::OpenDialogFilter,
     "Hashtally 检查文件|*.MD5|MD5 校验文件 (*.md5;*.txt)|*.md5;*.txt|所有文件 (*.*)|*.*|"},
    // The folder chooser has always spoken English.
    {TText::FolderOk, "OK"},
    {TText::FolderCancel, "Cancel"},
    {TText::FolderCreate, "Create Folder"},
    {TText::FolderDelete, "Delete"},
    {TText::FolderCaption, "Browse for Folder"},
    {TText::FolderNewName, "New Folder"},
    {TText::FolderCreateFailed, "Unable to create the folder '%2'\n\n%1"},
    {TText::PaneCopy, "复制(&C)"},
    {TText::PaneSelectAll, "全选(&A)"},
    {TText::PaneSaveAs, "另存为(&S)..."},
    {TText::CopyFailedBox, "无法复制到剪贴板,剪贴板中仍是原来的内容。"},
    {TText::CopyLostBox, "无法复制到剪贴板,剪贴板已被清空。"},
    {TText::ReportFilter, "文本文件 (*.txt)|*.txt|所有文件 (*.*)|*.*|"},
    {TText::SaveFailedBox, "无法保存报告: "},
    {TText::ListingFiles, "正在列出文件..."},
    {TText::TimeLeft, "剩余约 %1"},
    {TText::Seconds, "%1 秒"},
    {TText::Minutes, "%1 分钟"},
    {TText::Hours, "%1 小时"},
    {TText::Days, "%1 天"},
    {TText::Bytes, "%1 字节"},
    {TText::HashErrorNone, "没有错误"},
    {TText::HashErrorUnknownType, "未知散列类型 "},
    {TText::HashErrorNoContext, "散列数值为空 "},
    {TText::HashErrorNoState, "无效散列数值 "},
    {TText::HashErrorReadFile, "无法读取文件"},
    {TText::HashErrorOpenFile, "无法打开文件"},
    {TText::HashErrorGetFailed, "散列获取失败"},
    {TText::HashErrorUnknown, "未知错误"},
    {TText::DigestErrorLine, "错误:  %1 (%2)"},
    {TText::TooLongLine, "文件路径超过10000字节,无法存入检查文件,已跳过: "},
    {TText::SavedLine, "操作完成.  检查文件保存为 "},
    {TText::FilesProgress, "%1 文件进度:\n目标为:"},
    {TText::ConsoleUsage,
     "用法:\n"
     "  %1 check <检查文件> [--report <报告文件>] [--quiet] [--background]\n"
     "      重新计算检查文件所列文件的MD5值并进行对比\n"
     "  %1 make <文件夹> [--report <报告文件>] [--quiet] [--background]\n"
     "      为文件夹中的所有文件制作检查文件 HTSUM-sums.MD5\n"
     "  --report <报告文件>  同时把输出保存为文本文件(UTF-8)\n"
     "  --quiet              只输出未通过对比的文件和统计行\n"
     "  --background         以后台模式运行,降低处理器和磁盘的优先级\n"
     "退出代码(可相加): 0 一切正常, 1 文件可能已损坏, 2 文件已被修改, 4 有文件或行未能对比,\n"
     "  8 有文件不在检查文件中, 16 无法执行, 32 已中止"},
    {TText::ConsoleBadArgument, "无法识别的参数: %1"},
    {TText::ConsoleMissingArgument, "缺少参数"},
    {TText::ConsoleBackgroundFailed, "无法使用后台模式: "},
};
static_assert(IsComplete(kChineseTexts), "a text is missing, or out of the order of TText");

}  // namespace texts
