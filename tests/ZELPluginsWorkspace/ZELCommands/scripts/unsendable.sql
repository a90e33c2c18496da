UPDATE attributes SET value = '' WHERE name = 'name' AND component =
  (SELECT component FROM attributes WHERE name = 'PLM_ExternalID' AND value = 'wsp-00000101');
UPDATE attributes SET value = 'A' || char(1) WHERE name = 'majorrevision' AND component =
  (SELECT component FROM attributes WHERE name = 'PLM_ExternalID' AND value = 'prd-00012341');
