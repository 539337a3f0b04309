// A dragged text/uri-list becomes the local files' paths as the file system's bytes.
#include <QtTest>

#include "lines/UriList.h"

class TestUriList : public QObject {
    Q_OBJECT
private slots:
    void localFilesInOrderWithoutCommentsOrBlankLines()
    {
        const QByteArray list = "# dragged from a file manager\r\n"
                                "file:///home/u/a.txt\r\n"
                                "\r\n"
                                "  file:///home/u/b.txt  \r\n"
                                "file:///home/u/c.txt";  // the last line may lack its break
        QCOMPARE(LocalFilesOfUriList(list, "pc"),
                 (QByteArrayList{"/home/u/a.txt", "/home/u/b.txt", "/home/u/c.txt"}));
        // A lone LF or CR ends a line too.
        QCOMPARE(LocalFilesOfUriList("file:///a\nfile:///b\rfile:///c", "pc"), (QByteArrayList{"/a", "/b", "/c"}));
        QCOMPARE(LocalFilesOfUriList("", "pc"), QByteArrayList());
    }

    void percentEncodingDecodesToTheNamesOwnBytes()
    {
        // "テスト 1.txt" in Shift-JIS: not UTF-8, kept byte for byte.
        QCOMPARE(LocalFilesOfUriList("file:///tmp/%83e%83X%83g%201.txt\r\n", "pc"),
                 QByteArrayList{"/tmp/\x83\x65\x83\x58\x83\x67 1.txt"});
        // UTF-8 names, blanks, "%", "+", "?" and "#" of the name itself, CR and LF in a name.
        QCOMPARE(LocalFilesOfUriList("file:///d/%E3%81%82%2B+%25%3F%23.txt\r\n"
                                     "file:///d/two%0D%0Alines.txt\r\n",
                                     "pc"),
                 (QByteArrayList{"/d/\xE3\x81\x82++%?#.txt", "/d/two\r\nlines.txt"}));
        // Raw bytes a careless sender did not encode are kept as they came.
        QCOMPARE(LocalFilesOfUriList("file:///d/\xE3\x81\x82 x.txt", "pc"), QByteArrayList{"/d/\xE3\x81\x82 x.txt"});
        // A query or fragment is no part of the path.
        QCOMPARE(LocalFilesOfUriList("file:///d/x.txt?line=3#top", "pc"), QByteArrayList{"/d/x.txt"});
    }

    void onlyThisMachinesFilesAreTaken()
    {
        const QByteArray list = "FILE:///upper.txt\r\n"
                                "file://localhost/local.txt\r\n"
                                "file://LocalHost/local2.txt\r\n"
                                "file://pc/mine.txt\r\n"
                                "file://other/theirs.txt\r\n"
                                "file:/one-slash.txt\r\n"
                                "file:relative.txt\r\n"
                                "file://pc\r\n"
                                "http://example.invalid/x.txt\r\n"
                                "sftp://pc/home/u/x.txt\r\n"
                                "trash:///x.txt\r\n"
                                "/not/a/uri.txt\r\n"
                                "file:///nul%00byte.txt\r\n";
        QCOMPARE(LocalFilesOfUriList(list, "pc"),
                 (QByteArrayList{"/upper.txt", "/local.txt", "/local2.txt", "/mine.txt", "/one-slash.txt"}));
        // Without a known machine name only an empty host or localhost is local.
        QCOMPARE(LocalFilesOfUriList("file://pc/mine.txt\r\nfile:///x\r\n", ""), QByteArrayList{"/x"});
    }
};

QTEST_GUILESS_MAIN(TestUriList)
#include "tst_uri_list.moc"
