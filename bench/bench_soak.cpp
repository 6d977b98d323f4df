#include "BenchSheet.h"

#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <string>

namespace {
// The program's own memory in MB: its anonymous resident pages. Pages of mapped font files are
// clean and belong to the system's file cache, so they are not counted.
double anonymousMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("RssAnon:"))
            return line.mid(8).simplified().split(' ').first().toDouble() / 1024;
    return 0;
}

// Guest i of a list of 200: a surname and two given-name characters, no two guests alike and
// new characters coming in all along, as on a real list.
QString guest(int i) {
    static const QString surnames = QStringLiteral(
        "王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘于蒋蔡");
    static const QString given = QStringLiteral(
        "伟芳娜秀英敏静丽强磊军洋勇艳杰娟涛明超兰霞平刚桂华建国文辉鹏飞宇浩然子轩梓涵欣怡思雨俊博"
        "嘉琪晨阳志斌海燕红玉凤梅玲丹萍婷雪琳慧颖晶莉倩云峰岩鑫彬亮锋健波宁龙凯翔旭东晓春秋冬松柏"
        "天佳乐淑珍瑞祥福寿永安豪诗雅若曦紫萱梦瑶雯蕾薇蓉菲妍婉茜璐露蕊琦琼瑜璇瑾璟珊琬钰铭锦钧毅"
        "骏驰腾耀煜烨炜焕灿熙昊昱晟暄曜旻昕皓澄泽润涌沛鸿泓源滨潇瀚汉淳清澜远逸哲睿聪颉达彦儒贤德"
        "仁义礼智信忠孝廉谦恭勤俭朴诚笃坤乾震巽离艮兑宸宏");
    return QString(surnames[i % 40]) + given[3 * i % 200] + given[(7 * i + 1) % 200];
}
} // namespace

// Two hundred cards in a row, each with its own name, typed, turned and printed to the default
// queue of the print server: the anonymous memory after 1, 20, 100 and 200 cards. The figure is
// the memory, not the time. Run it alone (--benchmark_filter=PrintSoak) so that no other
// benchmark's memory counts.
static void BM_PrintSoak(benchmark::State& state) {
    if (qEnvironmentVariableIsEmpty("CUPS_SERVER")) {
        state.SkipWithError("skipped: no print server (start one with scripts/print-server.sh "
                            "and set CUPS_SERVER)");
        return;
    }
    BenchSheet sheet{QString()};
    Form2& form = sheet.form;
    form.show();
    for (auto _ : state) {
        for (int card = 1; card <= 200; ++card) {
            sheet.dialogs.answer(guest(card - 1));
            form.输入_Click();
            form.旋转_Click();
            form.打印_Click();
            // A moment between two cards, as a user takes: the document goes out, the window
            // repaints, the program idles.
            sheet.printer.spooler().finish(std::chrono::seconds(60));
            QEventLoop pause;
            QTimer::singleShot(20, &pause, &QEventLoop::quit);
            pause.exec();
            if (card == 1 || card == 20 || card == 100 || card == 200)
                state.counters["MB_" + std::to_string(card)] = anonymousMegabytes();
        }
    }
    state.counters["MB_grown_20_200"] = state.counters["MB_200"] - state.counters["MB_20"];
}
BENCHMARK(BM_PrintSoak)->Iterations(1)->Unit(benchmark::kSecond);
