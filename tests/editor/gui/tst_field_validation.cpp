#include "editor/gui/field_validation.h"

#include "support/locale_guard.h"
#include "support/scripted_dialogs.h"

#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(NumberField)

class TestFieldValidation : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void leavingAField_data();
    void leavingAField();
    void coverPriceFillsAnEmptyBuyPriceForANewBook_data();
    void coverPriceFillsAnEmptyBuyPriceForANewBook();
    void shortFieldsTakeFourCharacters();
    void openingAContextMenuIsNoLeaving();

private:
    QLineEdit* fieldFor(NumberField field) const;
    void leave(QLineEdit* edit);

    std::unique_ptr<LocaleGuard> m_locale;
    std::unique_ptr<ScopedScriptedDialogs> m_dialogs;
    std::unique_ptr<QWidget> m_window;
    QLineEdit* m_coverPrice = nullptr;
    QLineEdit* m_buyPrice = nullptr;
    QLineEdit* m_vol = nullptr;
    QLineEdit* m_issue = nullptr;
    QLineEdit* m_year = nullptr;
    QLineEdit* m_title = nullptr; // a field without a check
    QRadioButton* m_new = nullptr;
    QRadioButton* m_used = nullptr;
};

void TestFieldValidation::init()
{
    m_locale = std::make_unique<LocaleGuard>(u"en_US"_s);
    m_dialogs = std::make_unique<ScopedScriptedDialogs>();
    m_window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(m_window.get());
    for (QLineEdit** edit : {&m_title, &m_coverPrice, &m_buyPrice, &m_vol, &m_issue, &m_year}) {
        *edit = new QLineEdit(m_window.get());
        layout->addWidget(*edit);
    }
    m_new = new QRadioButton(u"New"_s, m_window.get());
    m_used = new QRadioButton(u"Used"_s, m_window.get());
    layout->addWidget(m_new);
    layout->addWidget(m_used);
    m_new->setChecked(true);

    auto* validation = new FieldValidation(m_window.get());
    validation->watch(m_coverPrice, NumberField::CoverPrice);
    validation->watch(m_buyPrice, NumberField::BuyPrice);
    validation->watch(m_vol, NumberField::Volume);
    validation->watch(m_issue, NumberField::Issue);
    validation->watch(m_year, NumberField::Year);
    validation->copyCoverPriceInto(m_buyPrice, [this] { return m_new->isChecked(); });

    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void TestFieldValidation::cleanup()
{
    m_window.reset();
    m_dialogs.reset();
    m_locale.reset();
}

QLineEdit* TestFieldValidation::fieldFor(NumberField field) const
{
    switch (field) {
    case NumberField::CoverPrice:
        return m_coverPrice;
    case NumberField::BuyPrice:
        return m_buyPrice;
    case NumberField::Volume:
        return m_vol;
    case NumberField::Issue:
        return m_issue;
    case NumberField::Year:
        return m_year;
    }
    return nullptr;
}

// The user tabs from edit to the title.
void TestFieldValidation::leave(QLineEdit* edit)
{
    edit->setFocus(Qt::TabFocusReason);
    QVERIFY(edit->hasFocus());
    m_title->setFocus(Qt::TabFocusReason);
}

void TestFieldValidation::leavingAField_data()
{
    QTest::addColumn<NumberField>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("textAfterwards");
    QTest::addColumn<QString>("title"); // of the message, empty for none
    QTest::addColumn<bool>("focusBack");

    QTest::newRow("price rewritten") << NumberField::BuyPrice << u"12.5"_s << u"$12.50"_s << QString()
                                     << false;
    QTest::newRow("price refused") << NumberField::CoverPrice << u"12abc"_s << QString() << u"Invalid Price"_s
                                   << true;
    QTest::newRow("volume refused") << NumberField::Volume << u"12a"_s << u"12a"_s << u"Invalid Volume"_s
                                    << true;
    QTest::newRow("year refused") << NumberField::Year << u"19x5"_s << QString() << u"Invalid Year"_s
                                  << false;
    QTest::newRow("empty price") << NumberField::CoverPrice << QString() << QString() << QString() << false;
}

void TestFieldValidation::leavingAField()
{
    QFETCH(NumberField, field);
    QFETCH(QString, typed);
    QFETCH(QString, textAfterwards);
    QFETCH(QString, title);
    QFETCH(bool, focusBack);

    QLineEdit* edit = fieldFor(field);
    edit->setText(typed);
    leave(edit);

    QCOMPARE(edit->text(), textAfterwards);
    if (title.isEmpty()) {
        QVERIFY(m_dialogs->shown().isEmpty());
    } else {
        QCOMPARE(m_dialogs->messages().size(), 1);
        QCOMPARE(m_dialogs->messages().front().title, title);
        QCOMPARE(m_dialogs->messages().front().text, refusalFor(field).text);
    }
    QCOMPARE(edit->hasFocus(), focusBack);
    QCOMPARE(m_title->hasFocus(), !focusBack);
}

void TestFieldValidation::coverPriceFillsAnEmptyBuyPriceForANewBook_data()
{
    QTest::addColumn<bool>("boughtNew");
    QTest::addColumn<QString>("buyPriceBefore");
    QTest::addColumn<QString>("coverPrice");
    QTest::addColumn<QString>("buyPriceAfter");

    QTest::newRow("new") << true << QString() << u"12.5"_s << u"$12.50"_s;
    QTest::newRow("used") << false << QString() << u"12.5"_s << QString();
}

void TestFieldValidation::coverPriceFillsAnEmptyBuyPriceForANewBook()
{
    QFETCH(bool, boughtNew);
    QFETCH(QString, buyPriceBefore);
    QFETCH(QString, coverPrice);
    QFETCH(QString, buyPriceAfter);

    (boughtNew ? m_new : m_used)->setChecked(true);
    m_buyPrice->setText(buyPriceBefore);
    m_coverPrice->setText(coverPrice);
    leave(m_coverPrice);
    QCOMPARE(m_buyPrice->text(), buyPriceAfter);
}

void TestFieldValidation::shortFieldsTakeFourCharacters()
{
    for (QLineEdit* edit : {m_vol, m_issue, m_year}) {
        edit->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(edit, u"123456"_s);
        QCOMPARE(edit->text(), u"1234"_s);
    }
    QTest::keyClicks(m_coverPrice, u"123456"_s);
    QCOMPARE(m_coverPrice->text(), u"123456"_s);
}

void TestFieldValidation::openingAContextMenuIsNoLeaving()
{
    m_vol->setText(u"12a"_s);
    m_vol->setFocus(Qt::TabFocusReason);
    QFocusEvent popupOpens(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(m_vol, &popupOpens);
    QVERIFY(m_dialogs->shown().isEmpty());
}

QTEST_MAIN(TestFieldValidation)
#include "tst_field_validation.moc"
