#include "TestMain.h"

#include <MTools/Handle.h>

#include <QtTest>

#include <cstring>
#include <thread>
#include <vector>

namespace {

struct Counted {
    static int sm_nDeleted;
    explicit Counted(int nValue = 0) : m_nValue(nValue) {}
    virtual ~Counted() { ++sm_nDeleted; }
    int m_nValue;
};
int Counted::sm_nDeleted = 0;

struct DerivedCounted : Counted {
    static int sm_nDeleted;
    DerivedCounted() : Counted(7), m_payload(1000, 'x') {}
    ~DerivedCounted() override { ++sm_nDeleted; }
    std::vector<char> m_payload;
};
int DerivedCounted::sm_nDeleted = 0;

using CountedHandle = MTools::Handle<Counted>;

} // namespace

class TestHandle : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        Counted::sm_nDeleted = 0;
        DerivedCounted::sm_nDeleted = 0;
    }

    void emptyHandles()
    {
        CountedHandle empty;
        QVERIFY(empty.isNull());
        CountedHandle copy(empty);
        QVERIFY(copy.isNull());
        CountedHandle fromNull(static_cast<Counted*>(nullptr));
        QVERIFY(fromNull.isNull());
        copy = fromNull;
        QVERIFY(copy.isNull());
        QCOMPARE(Counted::sm_nDeleted, 0);
    }

    void accessThroughEmptyHandleThrows()
    {
        const CountedHandle empty;
        for (int nWay = 0; nWay < 2; ++nWay) {
            bool bThrown = false;
            try {
                if (nWay == 0)
                    (void)empty->m_nValue;
                else
                    (void)(*empty).m_nValue;
            } catch (const MTools::Error& error) {
                bThrown = true;
                QCOMPARE(error.message().length(), uint64_t(11));
                QVERIFY(std::memcmp(error.message().constData(), "Null handle", 11) == 0);
            }
            QVERIFY(bThrown);
        }
        QVERIFY(empty.isNull());
    }

    void copiesShareOneObject()
    {
        auto* pFirst = new CountedHandle(new Counted(3));
        QVERIFY(!pFirst->isNull());
        auto* pSecond = new CountedHandle(*pFirst);
        QCOMPARE(&**pFirst, &**pSecond);
        delete pFirst;
        QCOMPARE(Counted::sm_nDeleted, 0);
        QCOMPARE((*pSecond)->m_nValue, 3);
        (*pSecond)->m_nValue = 4;
        QCOMPARE((**pSecond).m_nValue, 4);
        delete pSecond;
        QCOMPARE(Counted::sm_nDeleted, 1);
    }

    void selfAssignment()
    {
        CountedHandle handle(new Counted(5));
        CountedHandle& alias = handle;
        handle = alias;
        QCOMPARE(Counted::sm_nDeleted, 0);
        QCOMPARE(handle->m_nValue, 5);
        {
            CountedHandle copy(handle);
            copy = handle;
        }
        QCOMPARE(Counted::sm_nDeleted, 0);
        QCOMPARE(handle->m_nValue, 5);
    }

    void assignmentReleasesTheOldObject()
    {
        CountedHandle a(new Counted(1));
        auto* pB = new CountedHandle(new Counted(2));
        *pB = a;
        QCOMPARE(Counted::sm_nDeleted, 1);
        QCOMPARE((*pB)->m_nValue, 1);
        // a now has two owners: releasing one keeps it alive, releasing both deletes it.
        delete pB;
        QCOMPARE(Counted::sm_nDeleted, 1);
        QCOMPARE(a->m_nValue, 1);
        a = CountedHandle();
        QVERIFY(a.isNull());
        QCOMPARE(Counted::sm_nDeleted, 2);
    }

    void baseHandleDeletesDerivedObject()
    {
        {
            CountedHandle handle(new DerivedCounted);
            QCOMPARE(handle->m_nValue, 7);
            CountedHandle copy = handle;
        }
        QCOMPARE(DerivedCounted::sm_nDeleted, 1);
        QCOMPARE(Counted::sm_nDeleted, 1);
    }

    void countSurvivesCopiesOnSeveralThreads()
    {
        {
            CountedHandle shared(new Counted(9));
            std::vector<std::thread> threads;
            for (int t = 0; t < 4; ++t)
                threads.emplace_back([&shared] {
                    for (int i = 0; i < 20000; ++i) {
                        CountedHandle copy(shared);
                        CountedHandle other;
                        other = copy;
                    }
                });
            for (auto& thread : threads)
                thread.join();
            QCOMPARE(Counted::sm_nDeleted, 0);
            QCOMPARE(shared->m_nValue, 9);
        }
        QCOMPARE(Counted::sm_nDeleted, 1);
    }
};

TRELVANIC_TEST_MAIN(TestHandle)
#include "tst_handle.moc"
