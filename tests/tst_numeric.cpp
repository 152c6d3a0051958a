// Number rules: reading a number from text, rounding halves to even, the 16-bit
// range of the game's counts and flags, and the signed decimal text of the
// error log.
#include "platform/Numeric.h"

#include <QtTest>

#include <cfenv>
#include <iterator>
#include <limits>

class TestNumeric : public QObject {
  Q_OBJECT

private slots:
  void readsLeadingNumber_data();
  void readsLeadingNumber();
  void clampsHugeExponents();
  void roundsHalfToEven_data();
  void roundsHalfToEven();
  void roundingIgnoresCurrentMode_data();
  void roundingIgnoresCurrentMode();
  void fitsSixteenBits_data();
  void fitsSixteenBits();
  void clampsToSixteenBits_data();
  void clampsToSixteenBits();
  void writesSignedText_data();
  void writesSignedText();
};

void TestNumeric::readsLeadingNumber_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<double>("expected");
  QTest::newRow("plain") << "12" << 12.0;
  QTest::newRow("leading blank") << " 12" << 12.0;
  QTest::newRow("leading tab and blanks") << "\t  30" << 30.0;
  QTest::newRow("blank inside digits") << "1 2" << 12.0;
  QTest::newRow("trailing letters") << "7x" << 7.0;
  QTest::newRow("letters only") << "abc" << 0.0;
  QTest::newRow("empty") << "" << 0.0;
  QTest::newRow("blanks only") << "   " << 0.0;
  QTest::newRow("negative") << "-1" << -1.0;
  QTest::newRow("blank after sign") << "- 4" << -4.0;
  QTest::newRow("plus sign") << "+8" << 8.0;
  QTest::newRow("sign alone") << "-" << 0.0;
  QTest::newRow("fraction") << "2.5" << 2.5;
  QTest::newRow("fraction without whole part") << ".5" << 0.5;
  QTest::newRow("point alone") << "." << 0.0;
  QTest::newRow("second point stops") << "1.2.3" << 1.2;
  QTest::newRow("exponent") << "1e3" << 1000.0;
  QTest::newRow("exponent letter d") << "2D2" << 200.0;
  QTest::newRow("negative exponent") << "25e-1" << 2.5;
  QTest::newRow("exponent without digits") << "3e" << 3.0;
  QTest::newRow("comma stops") << "1,5" << 1.0;
  QTest::newRow("wide digits are not digits") << QString::fromUtf8("１２") << 0.0;
  QTest::newRow("wide letter stops") << QString::fromUtf8("9個") << 9.0;
  QTest::newRow("line break before") << "\r\n40000" << 40000.0;
}

void TestNumeric::readsLeadingNumber() {
  QFETCH(QString, text);
  QFETCH(double, expected);
  QCOMPARE(platform::val(text), expected);
}

void TestNumeric::clampsHugeExponents() {
  // A number past the double range must not become infinity: infinity would
  // pass through the rounding and then be cast to an integer.
  QCOMPARE(platform::val(QStringLiteral("1e999")), std::numeric_limits<double>::max());
  QCOMPARE(platform::val(QStringLiteral("-1e999")), -std::numeric_limits<double>::max());
  QVERIFY(!platform::toInt16(platform::val(QStringLiteral("1e999"))).has_value());
}

void TestNumeric::roundsHalfToEven_data() {
  QTest::addColumn<double>("value");
  QTest::addColumn<double>("expected");
  QTest::newRow("2.5 down") << 2.5 << 2.0;
  QTest::newRow("3.5 up") << 3.5 << 4.0;
  QTest::newRow("0.5 down to 0") << 0.5 << 0.0;
  QTest::newRow("1.5 up") << 1.5 << 2.0;
  QTest::newRow("-2.5 up to -2") << -2.5 << -2.0;
  QTest::newRow("-3.5 down to -4") << -3.5 << -4.0;
  QTest::newRow("-0.5 to zero") << -0.5 << 0.0;
  QTest::newRow("just above half") << 2.5000001 << 3.0;
  QTest::newRow("just below half") << 3.4999999 << 3.0;
  QTest::newRow("whole") << 7.0 << 7.0;
}

void TestNumeric::roundsHalfToEven() {
  QFETCH(double, value);
  QFETCH(double, expected);
  QCOMPARE(platform::roundHalfEven(value), expected);
}

void TestNumeric::roundingIgnoresCurrentMode_data() {
  QTest::addColumn<int>("mode");
  QTest::newRow("upward") << FE_UPWARD;
  QTest::newRow("downward") << FE_DOWNWARD;
  QTest::newRow("toward zero") << FE_TOWARDZERO;
  QTest::newRow("to nearest") << FE_TONEAREST;
}

void TestNumeric::roundingIgnoresCurrentMode() {
  // Whatever rounding mode is in force, halves go to even, other values to the
  // nearest, and the mode in force is left as it was. The results are kept in
  // volatile storage so that nothing is worked out before the mode changes.
  QFETCH(int, mode);
  const double values[] = {2.5, 3.5, -2.5, -3.5, 2.2, 2.7, -2.2, -2.7, 0.5, -0.5, 32767.5, 1e300};
  const double expected[] = {2.0, 4.0, -2.0, -4.0, 2.0, 3.0, -2.0, -3.0, 0.0, 0.0, 32768.0, 1e300};
  volatile double results[std::size(values)];
  const int saved = std::fegetround();
  QCOMPARE(std::fesetround(mode), 0);
  for (size_t i = 0; i < std::size(values); ++i) results[i] = platform::roundHalfEven(values[i]);
  const int after = std::fegetround();
  std::fesetround(saved);
  QCOMPARE(after, mode);
  for (size_t i = 0; i < std::size(values); ++i) QCOMPARE(double(results[i]), expected[i]);
}

void TestNumeric::fitsSixteenBits_data() {
  QTest::addColumn<double>("value");
  QTest::addColumn<bool>("fits");
  QTest::addColumn<int>("expected");
  QTest::newRow("top") << 32767.0 << true << 32767;
  QTest::newRow("top plus 0.4") << 32767.4 << true << 32767;
  QTest::newRow("top plus 0.5 rounds past") << 32767.5 << false << 0;
  QTest::newRow("bottom") << -32768.0 << true << -32768;
  QTest::newRow("bottom minus 0.5 rounds to even bottom") << -32768.5 << true << -32768;
  QTest::newRow("bottom minus 0.6") << -32768.6 << false << 0;
  QTest::newRow("40000") << 40000.0 << false << 0;
  QTest::newRow("-40000") << -40000.0 << false << 0;
  QTest::newRow("2.5") << 2.5 << true << 2;
  QTest::newRow("-1") << -1.0 << true << -1;
  QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << false << 0;
  QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << false << 0;
}

void TestNumeric::fitsSixteenBits() {
  QFETCH(double, value);
  QFETCH(bool, fits);
  QFETCH(int, expected);
  const std::optional<int16_t> result = platform::toInt16(value);
  QCOMPARE(result.has_value(), fits);
  if (fits) QCOMPARE(int(*result), expected);
}

void TestNumeric::clampsToSixteenBits_data() {
  QTest::addColumn<double>("value");
  QTest::addColumn<int>("expected");
  QTest::newRow("45000 clamps") << 45000.0 << 32767;
  QTest::newRow("-45000 clamps") << -45000.0 << -32768;
  QTest::newRow("32767.5 clamps") << 32767.5 << 32767;
  QTest::newRow("inside, half to even") << 12.5 << 12;
  QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << 32767;
  QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 0;
}

void TestNumeric::clampsToSixteenBits() {
  QFETCH(double, value);
  QFETCH(int, expected);
  QCOMPARE(int(platform::clampToInt16(value)), expected);
}

void TestNumeric::writesSignedText_data() {
  QTest::addColumn<qlonglong>("value");
  QTest::addColumn<QString>("expected");
  QTest::newRow("positive") << 130LL << " 130";
  QTest::newRow("zero") << 0LL << " 0";
  QTest::newRow("negative") << -5LL << "-5";
  QTest::newRow("large 32-bit") << 2147483647LL << " 2147483647";
  QTest::newRow("smallest 32-bit") << -2147483648LL << "-2147483648";
}

void TestNumeric::writesSignedText() {
  QFETCH(qlonglong, value);
  QFETCH(QString, expected);
  QCOMPARE(platform::signedText(value), expected);
}

QTEST_GUILESS_MAIN(TestNumeric)
#include "tst_numeric.moc"
