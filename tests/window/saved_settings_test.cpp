// The inputs kept between runs: what start-up restores, what closing
// saves, and how a damaged or unwritable store is handled.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include <QScopeGuard>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

#include "support.h"
#include "window/settingskeys.h"
#include "window/settingsstore.h"
#include "window/settingstable.h"

namespace {

QString UnitLabel(LoadedWindow& w, int index) {
    return w.window().findChild<QLabel*>(QStringLiteral("lblUnits_%1").arg(index))->text();
}

void PressExit(LoadedWindow& w) {
    QTest::mouseClick(w.window().findChild<QPushButton*>(QStringLiteral("cmdExit")),
                      Qt::LeftButton);
}

// What a first run shows: every list at its first entry, the 737-600,
// pounds and empty entry fields.
void ExpectFirstRunInputs(LoadedWindow& w) {
    QVERIFY(w.window().isVisible());
    QCOMPARE(w.list("cboUnits")->currentIndex(), 0);
    QCOMPARE(w.list("cboCruisingAlt")->currentIndex(), 0);
    QCOMPARE(w.list("cboTripDistance")->currentIndex(), 0);
    QCOMPARE(w.list("cboAlternateDistance")->currentIndex(), 0);
    QCOMPARE(w.list("cboWindType")->currentIndex(), 0);
    QCOMPARE(tarnwell::data::ModelIndex(w.window().SelectedModel()), 0);
    QVERIFY(w.window().findChild<QRadioButton*>(QStringLiteral("optModel600"))->isChecked());
    for (const char* name : {"txtPayload", "txtHoldingFuel", "txtMinimumFuel", "txtTaxiFuel"}) {
        QCOMPARE(w.edit(name)->text(), QString());
    }
    QCOMPARE(UnitLabel(w, 0), QStringLiteral("Lbs."));
    QVERIFY(w.messages().empty());
}

using tarnwell::window::SettingsTable;
using Places = std::vector<std::pair<std::string_view, SettingsTable::Place>>;

// A place of its kind for every key: each list one of three items, the
// numbers and the wind noted in `restored` and saved as `saved` gives them.
Places TablePlaces(QComboBox& list, QStringList& restored, const QStringList& saved) {
    Places places;
    for (std::size_t i = 0; i < tarnwell::window::SettingsKeys.size(); ++i) {
        const tarnwell::window::SettingsKey& key = tarnwell::window::SettingsKeys[i];
        const QString out = saved.value(static_cast<qsizetype>(i));
        SettingsTable::Place place =
            key.kind == tarnwell::window::StoredKind::WindText
                ? SettingsTable::Text(
                      [&restored](const std::string& text) {
                          restored << QString::fromStdString(text);
                      },
                      [out] { return out.toStdString(); })
                : SettingsTable::Number(
                      [&restored](std::int32_t n) { restored << QString::number(n); },
                      [out] { return out.toInt(); });
        if (key.listSize != nullptr) {
            place.list = &list;
        }
        places.emplace_back(key.name, std::move(place));
    }
    return places;
}

#ifdef Q_OS_WIN
const wchar_t* const SettingsKey = L"Software\\VB and VBA Program Settings\\Tarnwell\\Settings";
#endif

// Puts the store out of reach: a plain file where its folder should be.
class BlockedStore {
public:
    BlockedStore() : folder_(QFileInfo(SettingsFilePath()).absolutePath()) {
        QDir(folder_).removeRecursively();
        QFile blocker(folder_);
        blocker.open(QIODevice::WriteOnly);
    }
    ~BlockedStore() { QFile::remove(folder_); }

private:
    QString folder_;
};

}  // namespace

class SavedSettings : public QObject {
    Q_OBJECT

private slots:
    void init() { ClearStore(); }

    void firstRunStartsFromDefaultsWithEmptyFields() {
        LoadedWindow w;
        QCOMPARE(w.list("cboUnits")->currentText(), QStringLiteral("Lbs."));
        QCOMPARE(w.list("cboCruisingAlt")->currentText(), QStringLiteral("FL290"));
        QCOMPARE(w.list("cboTripDistance")->currentText(), QStringLiteral("200"));
        QCOMPARE(w.list("cboAlternateDistance")->currentText(), QStringLiteral("200"));
        QCOMPARE(w.list("cboWindType")->currentText(), QStringLiteral("Headwind:"));
        QVERIFY(w.window().findChild<QRadioButton*>(QStringLiteral("optModel600"))->isChecked());
        for (const char* name :
             {"txtHeadwind", "txtPayload", "txtHoldingFuel", "txtMinimumFuel", "txtTaxiFuel"}) {
            QCOMPARE(w.edit(name)->text(), QString());
        }
        QCOMPARE(w.edit("txtBOW")->text(), QStringLiteral("80200"));
        QCOMPARE(w.edit("txtRightTank")->text(), QStringLiteral("2600 Lbs."));
        QVERIFY(w.messages().empty());
        QVERIFY(!w.window().IsUpdating());
    }

    void closingSavesTheElevenInputs() {
        {
            LoadedWindow w;
            w.chooseModel("optModel800");
            w.list("cboCruisingAlt")->setCurrentIndex(3);
            w.list("cboTripDistance")->setCurrentIndex(8);
            w.list("cboAlternateDistance")->setCurrentIndex(2);
            w.list("cboWindType")->setCurrentIndex(1);
            w.type("txtHeadwind", "20");
            w.type("txtPayload", "30000");
            w.type("txtHoldingFuel", "2000");
            w.type("txtMinimumFuel", "3000");
            w.type("txtTaxiFuel", "500");
            PressExit(w);
            QVERIFY(!w.window().isVisible());
        }
        QCOMPARE(StoredValues(),
                 (QStringList{"0", "3", "8", "2", "20", "30000", "2000", "3000", "500", "2", "1"}));
        LoadedWindow again;
        QCOMPARE(again.list("cboTripDistance")->currentText(), QStringLiteral("1000"));
        QCOMPARE(again.list("cboAlternateDistance")->currentText(), QStringLiteral("400"));
        QCOMPARE(again.list("cboWindType")->currentIndex(), 1);
        QVERIFY(
            again.window().findChild<QRadioButton*>(QStringLiteral("optModel800"))->isChecked());
        QCOMPARE(again.edit("txtPayload")->text(), QStringLiteral("30000"));
        QCOMPARE(again.edit("txtTaxiFuel")->text(), QStringLiteral("500"));
        QCOMPARE(again.edit("txtWindAdj")->text(), QStringLiteral("-50"));
    }

    void exitAndCloseBoxSaveAlike() {
        QStringList byExit;
        QStringList byCloseBox;
        for (bool exit : {true, false}) {
            ClearStore();
            LoadedWindow w;
            w.chooseModel("optModel700");
            w.type("txtPayload", "12345");
            if (exit) {
                PressExit(w);
            } else {
                w.closeByCloseBox();
            }
            QVERIFY(!w.window().isVisible());
            (exit ? byExit : byCloseBox) = StoredValues();
        }
        QCOMPARE(byExit, byCloseBox);
        QCOMPARE(byExit.at(5), QStringLiteral("12345"));  // the payload
    }

    void kilogramsAreStoredAsPounds() {
        {
            LoadedWindow w;
            w.list("cboUnits")->setCurrentIndex(1);
            w.type("txtPayload", "10000");
            PressExit(w);
        }
        QCOMPARE(StoredValue("Payload"), QStringLiteral("22046"));
        QCOMPARE(StoredValue("Units"), QStringLiteral("1"));
        LoadedWindow again;
        QCOMPARE(again.edit("txtPayload")->text(), QStringLiteral("10000"));
        QCOMPARE(UnitLabel(again, 1), QStringLiteral("Kgs."));
        QCOMPARE(again.list("cboUnits")->currentIndex(), 1);
    }

    void zeroWindIsSavedEmptyAndRestored() {
        {
            LoadedWindow w;
            QCOMPARE(w.edit("txtHeadwind")->text(), QString());
            PressExit(w);
        }
        QCOMPARE(StoredValue("Headwind"), QString(""));
        QVERIFY(!StoredValue("Headwind").isNull());
        LoadedWindow again;
        QCOMPARE(again.edit("txtHeadwind")->text(), QString());
        QCOMPARE(again.edit("txtWindAdj")->text(), QStringLiteral("0"));
        QVERIFY(again.messages().empty());
    }

    // What the weight fields show at close comes back at the next start,
    // also when the last calculation stopped for want of trip data before
    // it read them (737-800 at FL290 over 5000 nm has none), and a figure
    // nobody touched is saved as it was read, whatever the unit.
    void weightsShownAtCloseComeBack_data() {
        QTest::addColumn<QString>("units");
        QTest::addColumn<QString>("trip");
        QTest::addColumn<QString>("typedHolding");
        QTest::addColumn<QStringList>("saved");
        const QString noData = "48";
        QTest::newRow("no-data box at start, nothing typed")
            << "0" << noData << QString() << QStringList{"20001", "3000", "2000", "500"};
        QTest::newRow("typed after the no-data box")
            << "0" << noData << "10" << QStringList{"20001", "10", "2000", "500"};
        QTest::newRow("kilograms restored without the round trip")
            << "1" << noData << QString() << QStringList{"20001", "3000", "2000", "500"};
        QTest::newRow("kilograms typed after the no-data box")
            << "1" << noData << "10" << QStringList{"20001", "22", "2000", "500"};
        // 12345 lb shows as 5600 kg, which reads back as 12346 lb; 400 lb
        // as 181 kg, which reads back as 399 lb.
        QTest::newRow("kilograms through a complete plan, nothing typed")
            << "1"
            << "8" << QString() << QStringList{"12345", "3000", "2000", "400"};
    }

    void weightsShownAtCloseComeBack() {
        QFETCH(QString, units);
        QFETCH(QString, trip);
        QFETCH(QString, typedHolding);
        QFETCH(QStringList, saved);
        const QStringList weights{"Payload", "HoldingFuel", "MinimumFuel", "TaxiFuel"};
        const bool noData = trip == "48";
        const QStringList stored = noData ? QStringList{"20001", "3000", "2000", "500"} : saved;
        for (int i = 0; i < weights.size(); ++i) {
            StoreValue(weights[i], stored[i]);
        }
        StoreValue("Units", units);
        StoreValue("Model", "2");
        StoreValue("TripDistance", trip);
        QStringList shown;
        for (int run = 0; run < 2; ++run) {
            LoadedWindow w;
            QCOMPARE(w.takeMessages().size(), std::size_t{noData ? 1u : 0u});
            if (run == 0 && !typedHolding.isEmpty()) {
                w.type("txtHoldingFuel", typedHolding);
            }
            QStringList texts;
            for (const char* name :
                 {"txtPayload", "txtHoldingFuel", "txtMinimumFuel", "txtTaxiFuel"}) {
                texts << w.edit(name)->text();
            }
            if (run == 1) {
                QCOMPARE(texts, shown);
            }
            shown = texts;
            w.closeByCloseBox();
            QStringList values;
            for (const QString& key : weights) {
                values << StoredValue(key);
            }
            QCOMPARE(values, saved);
        }
    }

    void payloadTypedWhileNoDataIsSavedAsShown() {
        {
            LoadedWindow w;
            w.type("txtPayload", "5000");
            w.chooseModel("optModel900");
            w.list("cboCruisingAlt")->setCurrentIndex(3);
            w.list("cboTripDistance")->setCurrentIndex(40);
            w.type("txtPayload", "6000");
            QCOMPARE(w.edit("txtPayload")->text(), QStringLiteral("6000"));
            w.closeByCloseBox();
        }
        QCOMPARE(StoredValue("Payload"), QStringLiteral("6000"));
    }

    void badStoredValuesFallBackToDefaults_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        QTest::newRow("units not a number") << "Units"
                                            << "kg";
        QTest::newRow("units beyond its list") << "Units"
                                               << "2";
        QTest::newRow("units nothing selected") << "Units"
                                                << "-1";
        QTest::newRow("cruise nothing selected") << "CruisingAlt"
                                                 << "-1";
        QTest::newRow("cruise beyond its list") << "CruisingAlt"
                                                << "5";
        QTest::newRow("cruise a fraction") << "CruisingAlt"
                                           << "1.5";
        QTest::newRow("trip beyond its list") << "TripDistance"
                                              << "49";
        QTest::newRow("trip outside 16 bits") << "TripDistance"
                                              << "65538";
        QTest::newRow("alternate nothing selected") << "AlternateDistance"
                                                    << "-1";
        QTest::newRow("alternate beyond its list") << "AlternateDistance"
                                                   << "5";
        QTest::newRow("wind type nothing selected") << "WindType"
                                                    << "-1";
        QTest::newRow("wind type empty") << "WindType"
                                         << "";
        QTest::newRow("model beyond 0..3") << "Model"
                                           << "4";
        QTest::newRow("model negative") << "Model"
                                        << "-1";
        QTest::newRow("model outside 16 bits") << "Model"
                                               << "65538";
        QTest::newRow("payload beyond 32 bits") << "Payload"
                                                << "2147483648";
        QTest::newRow("payload not a number") << "Payload"
                                              << "lots";
        QTest::newRow("holding beyond 32 bits") << "HoldingFuel"
                                                << "-2147483649";
        QTest::newRow("minimum with letters") << "MinimumFuel"
                                              << "12x";
        QTest::newRow("taxi a fraction") << "TaxiFuel"
                                         << "2.5";
    }

    void badStoredValuesFallBackToDefaults() {
        QFETCH(QString, key);
        QFETCH(QString, stored);
        StoreValue(key, stored);
        LoadedWindow w;
        ExpectFirstRunInputs(w);
    }

    // The table reads every key before any goes into the window, each by
    // its kind (a list position within its list), and saves them in the
    // keys' order.
    void theTableRestoresAndSavesEveryKeyByItsKind() {
        StoreValues({"2", "3", "-1", "1", " 15 ", "22046", "x", "+7", "-5", "4", "2"});
        QComboBox list;
        list.addItems({"a", "b", "c"});
        QStringList restored;
        const QStringList saved{"1", "0", "2", "1", "", "-3", "0", "9", "10", "3", "0"};
        const SettingsTable table(TablePlaces(list, restored, saved));
        table.Restore(tarnwell::window::SettingsStore(QStringLiteral("Tarnwell")));
        QCOMPARE(restored,
                 (QStringList{"2", "0", "0", "1", " 15 ", "22046", "0", "7", "-5", "0", "2"}));
        tarnwell::window::SettingsStore store(QStringLiteral("Tarnwell"));
        table.Save(store);
        QVERIFY(store.Flush());
        QCOMPARE(StoredValues(), saved);
    }

    // A key without a place of its kind is a fault of the window's table.
    void aTableWithoutAPlaceOfItsKindForEveryKeyIsRefused() {
        QComboBox list;
        QStringList restored;
        const Places places = TablePlaces(list, restored, {});
        Places missing = places;
        missing.pop_back();
        Places misnamed = places;
        misnamed.back().first = "Windtype";
        Places listWithoutList = places;
        listWithoutList.front().second.list = nullptr;
        Places numberForWind = places;
        numberForWind[4].second = SettingsTable::Number([](std::int32_t) {}, [] { return 0; });
        for (const Places& wrong : {missing, misnamed, listWithoutList, numberForWind}) {
            QVERIFY_THROWS_EXCEPTION(std::invalid_argument, SettingsTable{wrong});
        }
        SettingsTable{places};
    }

#ifdef Q_OS_WIN
    // Earlier versions wrote every value as REG_SZ text; a value of another
    // type is no input, and closing writes it back as text.
    void registryValuesOfOtherTypesFallBackToDefaults_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("units a DWORD") << "Units" << int{REG_DWORD} << QByteArray("\1\0\0\0", 4);
        QTest::newRow("payload a DWORD")
            << "Payload" << int{REG_DWORD} << QByteArray("\x88\x13\0\0", 4);
        QTest::newRow("trip binary") << "TripDistance" << int{REG_BINARY} << QByteArray("3");
        QTest::newRow("model expandable text")
            << "Model" << int{REG_EXPAND_SZ} << QByteArray("1\0\0\0", 4);
        QTest::newRow("holding a list of texts")
            << "HoldingFuel" << int{REG_MULTI_SZ} << QByteArray("9\0\0\0\0\0", 6);
    }

    void registryValuesOfOtherTypesFallBackToDefaults() {
        QFETCH(QString, key);
        QFETCH(int, type);
        QFETCH(QByteArray, data);
        const std::wstring name = key.toStdWString();
        QCOMPARE(::RegSetKeyValueW(HKEY_CURRENT_USER, SettingsKey, name.c_str(),
                                   static_cast<DWORD>(type), data.constData(),
                                   static_cast<DWORD>(data.size())),
                 ERROR_SUCCESS);
        LoadedWindow w;
        ExpectFirstRunInputs(w);
        PressExit(w);
        DWORD stored = 0;
        QCOMPARE(::RegGetValueW(HKEY_CURRENT_USER, SettingsKey, name.c_str(), RRF_RT_ANY, &stored,
                                nullptr, nullptr),
                 ERROR_SUCCESS);
        QCOMPARE(stored, DWORD{REG_SZ});
    }

    // A key whose access list lets nobody read it: the inputs fall back,
    // and the window says they could not be read.
    void unreadableRegistryKeyIsTold() {
        const std::wstring application = L"Software\\VB and VBA Program Settings\\Tarnwell";
        HKEY key = nullptr;
        QCOMPARE(::RegCreateKeyExW(HKEY_CURRENT_USER, application.c_str(), 0, nullptr, 0,
                                   KEY_ALL_ACCESS, nullptr, &key, nullptr),
                 ERROR_SUCCESS);
        SECURITY_DESCRIPTOR nobody;
        ::InitializeSecurityDescriptor(&nobody, SECURITY_DESCRIPTOR_REVISION);
        ACL empty;
        ::InitializeAcl(&empty, sizeof empty, ACL_REVISION);
        ::SetSecurityDescriptorDacl(&nobody, TRUE, &empty, FALSE);
        QCOMPARE(::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &nobody), ERROR_SUCCESS);
        ::RegCloseKey(key);
        HKEY probe = nullptr;
        const bool enforced = ::RegOpenKeyExW(HKEY_CURRENT_USER, application.c_str(), 0, KEY_READ,
                                              &probe) == ERROR_ACCESS_DENIED;
        if (probe != nullptr) {
            ::RegCloseKey(probe);
        }
        const auto restore = qScopeGuard([&application] {
            HKEY owned = nullptr;
            if (::RegOpenKeyExW(HKEY_CURRENT_USER, application.c_str(), 0, WRITE_DAC, &owned) ==
                ERROR_SUCCESS) {
                ::RegSetKeySecurity(owned, DACL_SECURITY_INFORMATION, nullptr);
                SECURITY_DESCRIPTOR open;
                ::InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION);
                ::SetSecurityDescriptorDacl(&open, FALSE, nullptr, FALSE);
                ::RegSetKeySecurity(owned, DACL_SECURITY_INFORMATION, &open);
                ::RegCloseKey(owned);
            }
            ::RegDeleteTreeW(HKEY_CURRENT_USER, application.c_str());
        });
        if (!enforced) {
            QSKIP("This registry does not enforce key access lists (Wine)");
        }
        LoadedWindow w;
        QCOMPARE(w.edit("txtPayload")->text(), QString());
        const auto messages = w.takeMessages();
        QCOMPARE(messages.size(), std::size_t{1});
        QVERIFY(messages[0].text.find("could not be read") != std::string::npos);
    }
#endif

    void unwritableStoreStillClosesAndTellsTheUser() {
#ifdef Q_OS_WIN
        QSKIP("The store is a file only where it is not the registry");
#endif
        LoadedWindow w;
        w.type("txtPayload", "4321");
        {
            BlockedStore blocked;
            PressExit(w);
            QVERIFY(!w.window().isVisible());
        }
        const auto messages = w.takeMessages();
        QCOMPARE(messages.size(), std::size_t{1});
        QVERIFY(messages[0].text.find("could not be saved") != std::string::npos);
        QCOMPARE(messages[0].icon, tarnwell::window::MessageIcon::Exclamation);
        QCOMPARE(StoredValue("Payload"), QString());
    }
};

TARNWELL_WINDOW_SUITE(SavedSettings);

#include "saved_settings_test.moc"
