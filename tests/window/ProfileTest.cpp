// Configuration profiles from the Dongle menu: saved from the pair, applied back after the
// operator has seen what would change, with only that changed.
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "WindowFixture.h"

using namespace rukmox::window::test;

namespace {

// The profile in `from` with the remote's name replaced, written to `to`.
bool WithRemoteName(const QString& from, const QString& to, const QString& name) {
  QFile in(from);
  if (!in.open(QIODevice::ReadOnly)) return false;
  QJsonObject profile = QJsonDocument::fromJson(in.readAll()).object();
  QJsonObject remote = profile["remote"].toObject();
  remote["name"] = name;
  profile["remote"] = remote;
  QFile out(to);
  return out.open(QIODevice::WriteOnly) && out.write(QJsonDocument(profile).toJson()) > 0;
}

std::string SimulatedRemoteName(SimulatedWindow& w) {
  return w.sim->With([](World& world) { return world.remotes[0].current.name; });
}

}  // namespace

class ProfileTest : public QObject {
  Q_OBJECT

 private slots:
  void appliedProfileChangesOnlyWhatDiffers_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("the operator says yes") << true;
    QTest::newRow("the operator says no: nothing is sent") << false;
  }
  void appliedProfileChangesOnlyWhatDiffers() {
    QFETCH(bool, yes);
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    QTemporaryDir dir;
    const QString saved = dir.filePath("pair.json");
    QVERIFY(w.window->SaveProfile(saved));
    const QString renamed = dir.filePath("renamed.json");
    QVERIFY(WithRemoteName(saved, renamed, "SENSOR-B"));
    w.messages.messages.clear();
    w.messages.answer = yes;

    QCOMPARE(w.window->ApplyProfileFile(renamed), yes);
    // The question lists the one change, and nothing else.
    QVERIFY(!w.messages.messages.empty());
    const QString question = w.messages.messages[0].text;
    QVERIFY2(question.startsWith(R"(remote.name: "SENSOR-A" -> "SENSOR-B")"
                                 "\n"),
             qPrintable(question));
    QVERIFY(!question.contains("local."));
    const QString name = yes ? "SENSOR-B" : "SENSOR-A";
    QCOMPARE(w.Edit("EditNomeMcu")->text(), name);
    QCOMPARE(QString::fromStdString(SimulatedRemoteName(w)), name);
    QCOMPARE(w.messages.messages.size(), std::size_t{1});  // no error after the question
  }

  void profileOfThePairAsItIsChangesNothing() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    QTemporaryDir dir;
    const QString saved = dir.filePath("pair.json");
    QVERIFY(w.window->SaveProfile(saved));
    w.messages.messages.clear();
    w.messages.answer = false;  // a question would fail the apply
    QVERIFY(w.window->ApplyProfileFile(saved));
    QCOMPARE(w.messages.messages.size(), std::size_t{1});
    QVERIFY(!w.messages.messages[0].error);
  }

  void badFilesAreRefusedBeforeAnythingIsSent_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("says");
    QTest::newRow("not JSON") << QByteArray("{") << "$";
    QTest::newRow("channel out of range") << QByteArray(R"({"format_version": 1, "channel": 16,
            "local": {"name": "X", "address": 4096, "power_level": 14, "pin_set": false},
            "remote": null})") << "channel";
  }
  void badFilesAreRefusedBeforeAnythingIsSent() {
    QFETCH(QByteArray, content);
    QFETCH(QString, says);
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    QTemporaryDir dir;
    const QString path = dir.filePath("bad.json");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    w.Frames();
    w.Timer()->stop();
    QVERIFY(!w.window->ApplyProfileFile(path));
    QCOMPARE(w.messages.messages.size(), std::size_t{1});
    QVERIFY(w.messages.messages[0].error);
    QVERIFY(w.messages.messages[0].text.contains(path));
    QVERIFY(w.messages.messages[0].text.contains(says));
    QVERIFY(w.Frames().empty());
  }

  void unwritableProfileIsReported() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    QVERIFY(!w.window->SaveProfile("/nonexistent/rukmox/pair.json"));
    QCOMPARE(w.messages.messages.size(), std::size_t{1});
    QVERIFY(w.messages.messages[0].error);
  }
};

QTEST_MAIN(ProfileTest)
#include "ProfileTest.moc"
