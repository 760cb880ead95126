#include "TestMain.h"

#include <MTools/Handle.h>

#include <QtTest>

#include <cstring>
#include <thread>
#include <vector>

namespace {

struct Counted
{
    static int sm_nDeleted;
    explicit Counted(int nValue = 0) : m_nValue(nValue) {}
    virtual ~Counted() { ++sm_nDeleted; }
    int m_nValue;
};
int Counted::sm_nDeleted = 0;

struct DerivedCounted : Counted
{
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

    // A handle made from a null pointer is empty, and access through any empty handle throws.
    void accessThroughEmptyHandleThrows()
    {
        const CountedHandle fromNull(static_cast<Counted*>(nullptr));
        QVERIFY(fromNull.isNull() && CountedHandle().isNull());
        for (int nWay = 0; nWay < 2; ++nWay) {
            bool bThrown = false;
            try {
                (void)(nWay == 0 ? fromNull->m_nValue : (*fromNull).m_nValue);
            } catch (const MTools::Error& error) {
                bThrown =
                    error.message().length() == 11 && std::memcmp(error.message().constData(), "Null handle", 11) == 0;
            }
            QVERIFY(bThrown);
        }
    }

    void copiesShareOneObject()
    {
        auto* pFirst = new CountedHandle(new Counted(3));
        auto* pSecond = new CountedHandle(*pFirst);
        QCOMPARE(&**pFirst, &**pSecond);
        delete pFirst;
        QCOMPARE(Counted::sm_nDeleted, 0);
        QCOMPARE((*pSecond)->m_nValue, 3);
        delete pSecond;
        QCOMPARE(Counted::sm_nDeleted, 1);
    }

    void assignment()
    {
        CountedHandle a(new Counted(1));
        CountedHandle& alias = a;
        a = alias;
        QCOMPARE(Counted::sm_nDeleted, 0);
        QCOMPARE(a->m_nValue, 1);
        // Assigning over the only owner of another object deletes it; a then has two owners.
        auto* pB = new CountedHandle(new Counted(2));
        *pB = a;
        QCOMPARE(Counted::sm_nDeleted, 1);
        delete pB;
        QCOMPARE(Counted::sm_nDeleted, 1);
        QCOMPARE(a->m_nValue, 1);
        a = CountedHandle();
        QCOMPARE(Counted::sm_nDeleted, 2);
    }

    void baseHandleDeletesDerivedObject()
    {
        {
            CountedHandle handle(new DerivedCounted);
            CountedHandle copy = handle;
            QCOMPARE(copy->m_nValue, 7);
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
        }
        QCOMPARE(Counted::sm_nDeleted, 1);
    }
};

TRELVANIC_TEST_MAIN(TestHandle)
#include "tst_handle.moc"
