// The console program's own texts (GBK, as the window's): its usage and the lines of its errors.
#pragma once

// Each "%1" stands for the program's own name.
inline constexpr char kUsageText[] =
    "用法:\n"
    "  %1 check <检查文件> [--report <报告文件>] [--quiet] [--background]\n"
    "      重新计算检查文件所列文件的MD5值并进行对比\n"
    "  %1 make <文件夹> [--report <报告文件>] [--quiet] [--background]\n"
    "      为文件夹中的所有文件制作检查文件 HTSUM-sums.MD5\n"
    "  --report <报告文件>  同时把输出保存为文本文件(UTF-8)\n"
    "  --quiet              只输出未通过对比的文件和统计行\n"
    "  --background         以后台模式运行,降低处理器和磁盘的优先级\n"
    "退出代码(可相加): 0 一切正常, 1 文件可能已损坏, 2 文件已被修改, 4 有文件或行未能对比,\n"
    "  8 有文件不在检查文件中, 16 无法执行, 32 已中止";
// Followed by the argument, before the usage text.
inline constexpr char kBadArgumentText[] = "无法识别的参数: ";
inline constexpr char kMissingArgumentText[] = "缺少参数";
// Followed by the system's reason; the run goes on at the usual priority.
inline constexpr char kBackgroundFailedText[] = "无法使用后台模式: ";
