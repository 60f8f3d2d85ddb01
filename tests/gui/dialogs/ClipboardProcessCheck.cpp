#include "ClipboardProcessCheck.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTest>
#include <cstdio>

#include "DialogTestSupport.h"
#include "platform/Prompter.h"
#include "view/BankClipboard.h"

int OfferToneRecord(int in_seconds) {
    RecordingBankView view;
    CSysExData bank(&view);
    bank.GetTone(20)->SetName("Across");
    QGuiApplication::clipboard()->setMimeData(CreateBankMimeData(bank, 20, 1).release());
    std::printf("offered\n");
    std::fflush(stdout);
    QTest::qWait(in_seconds * 1000);
    return 0;
}

int PasteToneRecord() {
    platform::RecordingPrompter prompter;
    platform::ScopedPrompter scope(prompter);
    RecordingBankView view;
    CSysExData bank(&view);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    std::printf("formats: %s\n",
                data ? data->formats().join(", ").toLocal8Bit().constData() : "none");
    const std::optional<BankEntries> pasted = PastedEntries(data, bank, 0, 1, ToneChooser());
    const bool across = pasted && pasted->size() == 1 && pasted->front().name == "Across";
    std::printf("pasted: %d beeps: %d\n", across ? 1 : 0, prompter.BeepCount());
    return across ? 0 : 1;
}
