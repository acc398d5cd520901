// The pinned certificate replaces the missing authority and nothing else.
#include "cloud/pinned_certificate.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>

#include "test_certificate.h"

namespace {

TEST(PinnedCertificate, OnlyThePinnedOneWithinItsDatesForItsOwnHost) {
    struct Case {
        const char* name;
        TestCertificateSpec wanted;
        const char* host;
        bool pinIt;  // the fingerprint configured is this certificate's
        bool accepted;
    };
    const Case cases[] = {
        {"pinned, right host", {}, "127.0.0.1", true, true},
        {"not pinned", {}, "127.0.0.1", false, false},
        {"another host", {}, "127.0.0.2", true, false},
        {"expired", {"127.0.0.1", "IP:127.0.0.1", -7200, -60}, "127.0.0.1", true, false},
        {"not yet valid", {"127.0.0.1", "IP:127.0.0.1", 3600, 7200}, "127.0.0.1", true, false},
        {"DNS name", {"site", "DNS:localhost", -60, 3600}, "LocalHost", true, true},
        // The alternative names decide when there are any; the common name then counts for nothing.
        {"common name only in CN",
         {"127.0.0.2", "IP:127.0.0.1", -60, 3600},
         "127.0.0.2",
         true,
         false},
        {"no alternative names", {"127.0.0.1", "", -60, 3600}, "127.0.0.1", true, true},
        {"an IP name does not cover a DNS host", {}, "localhost", true, false},
    };
    const QByteArray other = QByteArray(32, 'x');
    for (const Case& c : cases) {
        const QSslCertificate cert = makeTestCertificate(c.wanted);
        ASSERT_FALSE(cert.isNull()) << c.name;
        const QByteArray pin = c.pinIt ? cert.digest(QCryptographicHash::Sha256) : other;
        EXPECT_EQ(pinnedCertificateAcceptable(cert, c.host, pin, QDateTime::currentDateTimeUtc()),
                  c.accepted)
            << c.name;
    }
    EXPECT_FALSE(pinnedCertificateAcceptable(makeTestCertificate({}), "127.0.0.1", QByteArray(),
                                             QDateTime::currentDateTimeUtc()))
        << "nothing pinned";
}

TEST(PinnedCertificate, FingerprintTextsThatPinNothing) {
    const QString hex = QString(64, u'a');
    EXPECT_EQ(pinnedFingerprint(hex).size(), 32);
    EXPECT_EQ(pinnedFingerprint(hex.left(2) + ":" + hex.mid(2)), pinnedFingerprint(hex));
    for (const QString& bad : {QString(), QString(62, u'a'), QString(66, u'a'), QString(64, u'g')})
        EXPECT_TRUE(pinnedFingerprint(bad).isEmpty()) << bad.toStdString();
}

}  // namespace
