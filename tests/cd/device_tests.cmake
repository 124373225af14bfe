verselet_add_test(tst_cdaudiodevice SOURCES tst_cdaudiodevice.cpp)
verselet_add_test(tst_audiosink AUDIO SOURCES tst_audiosink.cpp)
verselet_add_test(tst_openprogress UI SOURCES tst_openprogress.cpp)
verselet_add_test(tst_envelope SOURCES tst_envelope.cpp)
