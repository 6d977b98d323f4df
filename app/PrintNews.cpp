#include "PrintNews.h"

namespace qv::PrintNews {

QString notPrinted(const PrintFailure& failure) {
    using Reason = PrintFailure::Reason;
    QString why;
    switch (failure.reason) {
    case Reason::NoPrintSystem:
        why = QStringLiteral("这台电脑上没有安装打印服务（CUPS）。\n\n"
                             "请安装 CUPS 并添加一台打印机，然后再打印一次。");
        break;
    case Reason::PrintSystemTooOld:
        why = QStringLiteral("这台电脑上的打印服务程序库（libcups）版本太旧，缺少需要的功能。\n\n"
                             "请更新 CUPS，然后再打印一次。");
        break;
    case Reason::Unreachable:
        why = QStringLiteral("连接不上打印服务。\n\n"
                             "请检查打印服务（CUPS）是否在运行，然后再打印一次。");
        break;
    case Reason::NotAnswering:
        why = QStringLiteral("打印服务没有响应。\n\n"
                             "打印服务（CUPS）可能正忙或已停止工作。请稍后检查打印机的任务列表，"
                             "如果这张桌签没有打印出来，再打印一次。");
        break;
    case Reason::NoDefaultPrinter:
        why = QStringLiteral("还没有设置默认打印机。\n\n"
                             "请在系统设置的“打印机”里添加一台打印机，"
                             "并把它设为默认打印机，然后再打印一次。");
        break;
    case Reason::Refused:
        why = QStringLiteral("打印机“%1”拒绝了这份打印任务。").arg(failure.printer);
        break;
    case Reason::PageNotMade:
        why = QStringLiteral("无法生成要打印的页面（临时文件夹可能已满或不可写）。");
        break;
    case Reason::GivenUp:
        why = QStringLiteral("已放弃等待打印服务。");
        break;
    case Reason::Unexpected:
        why = QStringLiteral("送往打印机时出了意外的错误。");
        break;
    }
    if (!failure.detail.isEmpty())
        why += QStringLiteral("\n\n打印系统给出的原因：%1").arg(failure.detail);
    return QStringLiteral("这张桌签没有打印：") + why;
}

QString waiting(int cards) {
    return QStringLiteral("还有 %1 张桌签在等待送往打印机。\n\n"
                          "打印服务暂时没有响应。桌签一送出，程序就会结束。")
        .arg(cards);
}

QString giveUpMeans() {
    return QStringLiteral("不再等待，结束程序，这些桌签不会打印");
}

QString givenUp(int cards) {
    return QStringLiteral("%1 张桌签没有打印：打印服务一直没有响应，已放弃等待。").arg(cards);
}

QString endedBySignal(int cards) {
    return QStringLiteral("quorvel: 程序被要求立即结束，%1 张桌签没有打印。").arg(cards);
}

} // namespace qv::PrintNews
