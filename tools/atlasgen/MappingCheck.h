// atlasgen --check-mapping: the rules that turn painted colours into atlas
// indices, tried on small canvases. Prints each broken rule; returns how
// many broke.
#pragma once

int CheckMapping();
