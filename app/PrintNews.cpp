#include "PrintNews.h"

namespace qv::PrintNews {

QString notPrinted(const PrintFailure& failure) {
    using Reason = PrintFailure::Reason;
    QString lead = QStringLiteral("这张桌签没有打印："), why,
            source = QStringLiteral("打印系统给出的原因：");
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
    case Reason::PaperUnknown:
        why = QStringLiteral("打印机“%1”没有说明它用什么纸，桌签会印成错误的大小。\n\n"
                             "请在打印机的设置里选好纸张大小，然后再打印一次。")
                  .arg(failure.printer);
        break;
    case Reason::LoginCancelled:
        why = QStringLiteral("打印服务要求先登录，但没有输入用户名和密码。\n\n"
                             "再打印一次，并在询问时输入打印服务的用户名和密码。");
        break;
    case Reason::LoginRefused:
        why = QStringLiteral("打印服务不接受输入的用户名和密码。\n\n"
                             "请向打印机的管理员确认用户名和密码，然后再打印一次。");
        break;
    case Reason::PageNotMade:
        // The card never reached the printer: nothing to blame it for.
        lead = QStringLiteral("这张桌签没有做成：");
        why = QStringLiteral("无法生成要打印的页面。\n\n请关闭一些程序，然后再打印一次。");
        source = QStringLiteral("原因：");
        break;
    case Reason::StoppedAtPrinter:
        why = QStringLiteral("打印机“%1”接受了这份打印任务，但随后取消了它。").arg(failure.printer);
        source = QStringLiteral("打印机给出的原因：");
        break;
    case Reason::GivenUp:
        why = QStringLiteral("已放弃等待打印服务。");
        break;
    case Reason::Unexpected:
        why = QStringLiteral("送往打印机时出了意外的错误。");
        break;
    }
    if (!failure.detail.isEmpty())
        why += QStringLiteral("\n\n") + source + failure.detail;
    return lead + why;
}

QString waitingAtPrinter(const PrintDelay& delay) {
    QString text = delay.reason == PrintDelay::Reason::Paused
                       ? QStringLiteral("这张桌签在打印队列中等待：打印机已暂停。")
                       : QStringLiteral("这张桌签在打印队列中等待：打印服务连接不上打印机“%1”。")
                             .arg(delay.printer);
    if (!delay.detail.isEmpty())
        text += QStringLiteral("打印机给出的原因：%1").arg(delay.detail);
    return text + QStringLiteral("\n\n桌签没有丢失：打印机恢复工作后就会打印出来。");
}

QString loginPrompt(const LoginRequest& request) {
    const QString ask =
        QStringLiteral("打印服务要求登录，才能在打印机“%1”上打印这张桌签。请输入用户名和密码。")
            .arg(request.printer);
    return request.attempt > 1 ? QStringLiteral("用户名或密码不对。") + ask : ask;
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
