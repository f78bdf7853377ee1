# XML load of a data-query reply against libxml2's DOM and pugixml (anchors, used only here).
find_package(LibXml2 REQUIRED)
find_package(pugixml REQUIRED)
xunda_bench(xml_load DEPS xunda_xml LibXml2::LibXml2 pugixml::pugixml)
